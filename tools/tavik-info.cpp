// tavik-info: prints what a movie holds and checks that it is sound.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "tavik/tavik.h"

namespace {

int Fail(const std::string& name, const std::string& message) {
    std::fprintf(stderr, "tavik-info: %s: %s\n", name.c_str(), message.c_str());
    return 1;
}

uint32_t U32(const std::vector<uint8_t>& d, size_t at) {
    return d[at] | d[at + 1] << 8 | d[at + 2] << 16 | static_cast<uint32_t>(d[at + 3]) << 24;
}

std::string FrameRateText(int32_t rate) {
    char text[96];
    if (rate > 0)
        std::snprintf(text, sizeof text, "%d (%d ms per frame, %.2f fps)", rate, rate,
                      1000.0 / rate);
    else if (rate < 0)
        std::snprintf(text, sizeof text, "%d (%.2f ms per frame, %.2f fps)", rate, -rate / 100.0,
                      100000.0 / -rate);
    else
        std::snprintf(text, sizeof text, "0 (as fast as possible)");
    return text;
}

// Walks every frame's chunks; returns an empty string or what is wrong.
std::string CheckFrames(const std::vector<uint8_t>& file, const TavikMovie& m, uint32_t frameTotal,
                        std::vector<uint32_t>& chunks, uint32_t& palettes) {
    size_t at = m.FirstFrameOffset;
    for (uint32_t i = 0; i < frameTotal; ++i) {
        const uint32_t size = m.FrameSizes[i];
        const uint8_t type = m.FrameTypes[i];
        if (size > file.size() - at)
            return "frame " + std::to_string(i) + " runs past the end of the file";
        size_t p = at;
        const size_t end = at + size;
        if (type & 1) {
            const uint32_t length = p < end ? file[p] * 4u : 0;
            if (length == 0 || length > end - p)
                return "frame " + std::to_string(i) + ": palette chunk runs past the frame";
            p += length;
            ++palettes;
        }
        for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
            if (!(type & (2 << t))) continue;
            const uint32_t length = end - p >= 4 ? U32(file, p) : 0;
            if (length < 4 || length > end - p)
                return "frame " + std::to_string(i) + ": audio chunk of track " +
                       std::to_string(t) + " runs past the frame";
            ++chunks[t];
            p += length;
        }
        at = end;
    }
    if (at != file.size()) std::printf("Note: %zu bytes follow the last frame\n", file.size() - at);
    return {};
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fputs(
            "usage: tavik-info MOVIE\nPrints a movie's header, trees, data rate and buffering,"
            " and checks its frames.\n",
            argc == 2 && !std::strcmp(argv[1], "--help") ? stdout : stderr);
        return argc == 2 && !std::strcmp(argv[1], "--help") ? 0 : 1;
    }
    const std::string name = argv[1];
    std::ifstream in(name, std::ios::binary);
    if (!in) return Fail(name, "cannot open the file");
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    if (file.size() < TAVIK_HEADER_SIZE || std::memcmp(file.data(), "TVK2", 4) != 0)
        return Fail(name, "not a Tavik movie");

    std::unique_ptr<TavikMovie, void (*)(TavikMovie*)> movie(
        TavikOpen(name.c_str(), 0, TAVIK_CHOOSE_RING_SIZE), TavikClose);
    TavikHeader h;
    std::memcpy(&h, file.data(), sizeof h);
    const uint64_t frameTotal = uint64_t{h.FrameCount} + (h.Flags & 1);
    const uint64_t tablesEnd = TAVIK_HEADER_SIZE + 5 * frameTotal + uint64_t{h.TreeBlockSize};
    if (!movie) {
        if (tablesEnd > file.size())
            return Fail(name, "truncated: the file ends inside its tables");
        return Fail(name, "inconsistent header, tables or tree block");
    }
    const TavikMovie& m = *movie;

    std::printf("File: %s (%zu bytes)\n", name.c_str(), file.size());
    std::printf("Size: %u x %u", h.Width, h.Height);
    if (m.Header.Height != h.Height) std::printf(" (shown %u x %u)", h.Width, m.Header.Height);
    std::printf("\nFrames: %u%s\n", h.FrameCount, (h.Flags & 1) ? " plus a ring frame" : "");
    std::printf("Frame rate: %s\n", FrameRateText(h.FrameRate).c_str());
    std::printf("Flags: 0x%X%s%s%s\n", h.Flags, (h.Flags & 1) ? " ring-frame" : "",
                (h.Flags & 2) ? " interlaced" : "", (h.Flags & 4) ? " doubled" : "");

    std::vector<uint32_t> chunks(TAVIK_MAX_TRACKS, 0);
    uint32_t palettes = 0;
    const std::string problem =
        CheckFrames(file, m, static_cast<uint32_t>(frameTotal), chunks, palettes);

    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        const uint32_t f = h.AudioFormat[t];
        if (!(f & TAVIK_AUDIO_PRESENT) && chunks[t] == 0) continue;
        std::printf("Track %d: %u Hz, %s, %d-bit, %s, largest chunk %u bytes, %u chunks%s\n", t,
                    f & TAVIK_AUDIO_RATE_MASK, (f & TAVIK_AUDIO_STEREO) ? "stereo" : "mono",
                    (f & TAVIK_AUDIO_16BIT) ? 16 : 8,
                    (f & TAVIK_AUDIO_COMPRESSED) ? "compressed" : "plain", h.AudioMaxSize[t],
                    chunks[t], (f & TAVIK_AUDIO_PRESENT) ? "" : " (not present)");
    }
    std::printf("Palette changes: %u\n", palettes);
    static const char* const kTrees[4] = {"mask", "colour", "full-block", "type"};
    std::printf("Tree block: %u bytes\n", h.TreeBlockSize);
    for (int i = 0; i < 4; ++i)
        std::printf("  %-10s tree: %u bytes, %u nodes\n", kTrees[i], h.TreeSizes[i],
                    (h.TreeSizes[i] - 12) / 4);
    std::printf("Largest frame: %u bytes\n", m.LargestFrame);
    std::printf("Average frame: %u bytes\n", m.AverageFrameSize);
    std::printf("Highest rate: %u bytes per second, from frame %u\n", m.HighestRate,
                m.HighestRateFrame);
    std::printf("Frame data: %u bytes from offset %u\n", m.TotalFrameBytes, m.FirstFrameOffset);
    if (m.OpenFlags & TavikPreload)
        std::printf("Buffering: preloaded (%u bytes)\n", m.IOBufferSize);
    else
        std::printf("Buffering: read-ahead ring of %u bytes, frame buffer %u bytes\n", m.RingSize,
                    m.IOBufferSize);
    std::printf("Memory: %u bytes\n", m.MemHighest);
    if (!problem.empty()) return Fail(name, problem);
    return 0;
}
