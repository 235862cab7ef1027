#include "encoder/palette_chunk.h"

#include <algorithm>
#include <array>

namespace tavik::enc {

namespace {

constexpr int kEntries = 256;
constexpr int kLongestKeep = 128;  // code 0x80 | (n - 1)
constexpr int kLongestCopy = 64;   // code 0x40 | (n - 1), then the start index

bool SameEntry(const Palette& a, int i, const Palette& b, int j) {
    return a[3 * i] == b[3 * j] && a[3 * i + 1] == b[3 * j + 1] && a[3 * i + 2] == b[3 * j + 2];
}

struct Step {
    uint8_t kind = 0;  // 0 new colour, 1 keep run, 2 copy run
    uint8_t start = 0;
    int length = 1;
};

}  // namespace

uint8_t QuantizeComponent(uint8_t value) {
    const uint8_t stored = value >> 2;
    return static_cast<uint8_t>(stored << 2 | stored >> 4);
}

Palette QuantizePalette(const Palette& palette) {
    Palette quantized;
    for (size_t i = 0; i < palette.size(); ++i) quantized[i] = QuantizeComponent(palette[i]);
    return quantized;
}

std::vector<uint8_t> EncodePaletteChunk(const Palette& previous, const Palette& target) {
    // match[i][s]: how many entries from target[i] on equal previous[s] on.
    std::vector<std::array<uint8_t, kEntries + 1>> match(kEntries + 1);
    match[kEntries].fill(0);
    for (int i = kEntries - 1; i >= 0; --i) {
        match[i][kEntries] = 0;
        for (int s = kEntries - 1; s >= 0; --s)
            match[i][s] =
                SameEntry(target, i, previous, s)
                    ? static_cast<uint8_t>(std::min(kLongestCopy, match[i + 1][s + 1] + 1))
                    : 0;
    }
    // Fewest code bytes for the entries from i on, choosing among keep runs, copy runs (from the
    // start with the longest match) and new colours.
    std::array<int, kEntries + 1> cost{};
    std::array<Step, kEntries + 1> best{};
    cost[kEntries] = 0;
    for (int i = kEntries - 1; i >= 0; --i) {
        cost[i] = 3 + cost[i + 1];
        best[i] = Step{};
        int keep = 0;
        while (i + keep < kEntries && keep < kLongestKeep &&
               SameEntry(target, i + keep, previous, i + keep))
            ++keep;
        for (int n = 1; n <= keep; ++n) {
            if (1 + cost[i + n] < cost[i]) {
                cost[i] = 1 + cost[i + n];
                best[i] = Step{1, 0, n};
            }
        }
        int copyStart = 0, copy = 0;
        for (int s = 0; s < kEntries; ++s) {
            if (match[i][s] > copy) {
                copy = match[i][s];
                copyStart = s;
            }
        }
        for (int n = 1; n <= copy; ++n) {
            if (2 + cost[i + n] < cost[i]) {
                cost[i] = 2 + cost[i + n];
                best[i] = Step{2, static_cast<uint8_t>(copyStart), n};
            }
        }
    }
    std::vector<uint8_t> chunk{0};
    for (int i = 0; i < kEntries; i += best[i].length) {
        const Step& step = best[i];
        if (step.kind == 1) {
            chunk.push_back(static_cast<uint8_t>(0x80 | (step.length - 1)));
        } else if (step.kind == 2) {
            chunk.push_back(static_cast<uint8_t>(0x40 | (step.length - 1)));
            chunk.push_back(step.start);
        } else {
            for (int c = 0; c < 3; ++c) chunk.push_back(target[3 * i + c] >> 2);
        }
    }
    while (chunk.size() % 4 != 0) chunk.push_back(0);
    chunk[0] = static_cast<uint8_t>(chunk.size() / 4);  // at most 772 bytes: fits
    return chunk;
}

}  // namespace tavik::enc
