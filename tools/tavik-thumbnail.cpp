// tavik-thumbnail: writes a PNG of a movie's representative frame for file managers.
//   tavik-thumbnail INPUT OUTPUT SIZE
// The frame is the first of the movie's first seconds that is not almost one colour (title
// fades and black lead-ins say nothing of a movie), scaled down to fit SIZE x SIZE with its
// shape kept. Pixels are sampled, not blended, so every colour is one of the movie's own.
// Pictures smaller than SIZE keep their size: file managers enlarge them as they like.
#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

#include "common/file_problem.h"
#include "common/image_writer.h"
#include "common/usage_error.h"
#include "tavik/decoder.h"

namespace {

constexpr double kLookSeconds = 5;       // how far into the movie to look
constexpr uint32_t kMostFrames = 150;    // and at most this many frames
constexpr double kOneColourShare = 0.9;  // a picture this much one colour is "almost one colour"
constexpr unsigned long kLargestSize = 4096;

int Fail(const std::string& what, const std::string& why) {
    std::fprintf(stderr, "tavik-thumbnail: %s: %s\n", what.c_str(), why.c_str());
    return 1;
}

// The share of the picture that its most common colour covers.
double LargestColourShare(const TavikFrame& frame, const TavikInfo& info) {
    std::array<uint32_t, 256> counts{};
    const size_t pixels = size_t{info.Width} * info.Height;
    for (size_t i = 0; i < pixels; ++i) ++counts[frame.Pixels[i]];
    // Indices with the same colour count as one colour.
    std::array<uint32_t, 256> byColour{};
    for (int i = 0; i < 256; ++i) {
        int first = i;
        for (int j = 0; j < i; ++j)
            if (std::memcmp(frame.Palette + 3 * j, frame.Palette + 3 * i, 3) == 0) {
                first = j;
                break;
            }
        byColour[first] += counts[i];
    }
    return pixels ? static_cast<double>(*std::max_element(byColour.begin(), byColour.end())) /
                        static_cast<double>(pixels)
                  : 1.0;
}

// Picks the frame and leaves its RGB picture in `rgb`; false when no frame decodes.
bool ChooseFrame(TavikDecoder* d, const TavikInfo& info, std::vector<uint8_t>& rgb) {
    const double frameSeconds = info.FrameTime ? info.FrameTime / 100000.0 : 1.0 / 15;
    const auto looks = static_cast<uint32_t>(
        std::min<double>({kMostFrames, kLookSeconds / frameSeconds + 1, info.FrameCount + 0.0}));
    TavikDecoderSetSoundTracks(d, 0);
    TavikFrame frame;
    double bestShare = 2;
    for (uint32_t n = 0; n < looks; ++n) {
        if (TavikDecoderNext(d, &frame) != TavikOk) break;
        const double share = LargestColourShare(frame, info);
        if (share < bestShare) {  // the most varied so far stands in if none is good enough
            bestShare = share;
            TavikConvertFrame(&frame, &info, TavikRGB24, rgb.data(),
                              static_cast<ptrdiff_t>(info.Width) * 3);
        }
        if (share < kOneColourShare) break;
    }
    return bestShare <= 1;
}

std::vector<uint8_t> Scale(const std::vector<uint8_t>& rgb, uint32_t width, uint32_t height,
                           uint32_t outWidth, uint32_t outHeight) {
    std::vector<uint8_t> out(size_t{outWidth} * outHeight * 3);
    for (uint32_t y = 0; y < outHeight; ++y) {
        // The source pixel under each output pixel's centre.
        const uint64_t sy = (uint64_t{2 * y + 1} * height) / (2 * uint64_t{outHeight});
        for (uint32_t x = 0; x < outWidth; ++x) {
            const uint64_t sx = (uint64_t{2 * x + 1} * width) / (2 * uint64_t{outWidth});
            std::memcpy(&out[(size_t{y} * outWidth + x) * 3], &rgb[(sy * width + sx) * 3], 3);
        }
    }
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    const char* const usage = "usage: tavik-thumbnail INPUT OUTPUT SIZE\n";
    if (argc == 2 && !std::strcmp(argv[1], "--help")) {
        std::printf(
            "%sWrites a PNG of the movie's first frame that is not almost one colour (looked for"
            " in\nits first seconds), scaled down to fit SIZE x SIZE pixels with its shape"
            " kept.\n",
            usage);
        return 0;
    }
    if (argc < 2) {
        std::fputs(usage, stderr);
        return tavik::tools::kUsageStatus;
    }
    for (int i = 1; i < argc; ++i)
        if (argv[i][0] == '-' && argv[i][1] != '\0')
            return tavik::tools::UsageError("tavik-thumbnail",
                                            std::string(argv[i]) + ": unknown option");
    if (argc != 4)
        return tavik::tools::UsageError(
            "tavik-thumbnail",
            "takes INPUT OUTPUT SIZE, given " + std::to_string(argc - 1) + " argument(s)");
    const std::string input = argv[1], output = argv[2];
    char* end = nullptr;
    const unsigned long size = std::strtoul(argv[3], &end, 10);
    if (*argv[3] == '\0' || *end != '\0' || size == 0 || size > kLargestSize)
        return tavik::tools::UsageError("tavik-thumbnail",
                                        "SIZE " + std::string(argv[3]) +
                                            ": takes a number of pixels from 1 to " +
                                            std::to_string(kLargestSize));
    if (!tavik::tools::PngAvailable()) return Fail(output, "built without PNG support");

    TavikDecoder* d = nullptr;
    const TavikStatus status = TavikDecoderOpenFile(input.c_str(), &d);
    if (status != TavikOk) return Fail(input, TavikStatusText(status));
    const TavikInfo info = *TavikDecoderGetInfo(d);
    std::vector<uint8_t> rgb;
    bool chosen = false;
    if (info.Width && info.Height) {
        rgb.resize(size_t{info.Width} * info.Height * 3);
        chosen = ChooseFrame(d, info, rgb);
    }
    TavikDecoderClose(d);
    if (!chosen) return Fail(input, "no frame could be decoded");

    const double scale = std::min(
        {1.0, static_cast<double>(size) / info.Width, static_cast<double>(size) / info.Height});
    const auto fit = [&](uint32_t side) {
        return std::clamp<uint32_t>(static_cast<uint32_t>(side * scale + 0.5), 1,
                                    static_cast<uint32_t>(size));
    };
    const uint32_t outWidth = fit(info.Width), outHeight = fit(info.Height);
    const std::vector<uint8_t> thumbnail = Scale(rgb, info.Width, info.Height, outWidth, outHeight);
    // Written under another name and renamed, so that no half-written thumbnail is ever seen.
    const std::string partial = output + ".partial";
    std::string error;
    errno = 0;
    if (!tavik::tools::WritePng(partial, outWidth, outHeight, thumbnail, error)) {
        const int why = errno;
        std::remove(partial.c_str());
        return Fail(output, "cannot write: " + tavik::tools::WhyNotWritten(output, why));
    }
    // std::filesystem::rename replaces an existing thumbnail on Windows too, where std::rename
    // refuses.
    std::error_code renameFailure;
    std::filesystem::rename(partial, output, renameFailure);
    if (renameFailure) {
        std::remove(partial.c_str());
        return Fail(output, "cannot write: " + renameFailure.message());
    }
    return 0;
}
