// From source pictures to a movie: palettes, the palettised pictures, the lossy block choice and
// the passes that keep the data rate under its cap.
#include "encoder/authoring.h"

#include <algorithm>
#include <cmath>

#include "encoder/lossy_blocks.h"
#include "encoder/palette_mapper.h"
#include "encoder/palette_plan.h"
#include "encoder/rate_control.h"

namespace tavik::enc {

namespace {

constexpr int kMaxPasses = 16;
constexpr double kLowestQuality = 1;

ColourSet Recoloured(const Palette& before, const Palette& after) {
    ColourSet changed{};
    for (int i = 0; i < 256; ++i) changed[i] = !(EntryOf(before, i) == EntryOf(after, i));
    return changed;
}

bool CheckSources(const MovieSpec& plan, const std::vector<SourceFrame>& sources,
                  std::string& error) {
    const size_t pixels = size_t{plan.width} * plan.height;
    if (sources.size() != plan.frames.size())
        return error = "one source per frame is needed", false;
    for (size_t i = 0; i < sources.size(); ++i) {
        const SourceFrame& s = sources[i];
        if (s.rgb.size() != 3 * pixels || (s.palette && s.indices.size() != pixels)) {
            error = "frame " + std::to_string(i) + " does not have width * height pixels";
            return false;
        }
    }
    return true;
}

// The frames that the cap squeezed, as runs of equal quality.
std::vector<std::string> DescribeSqueeze(const std::vector<double>& quality, double asked,
                                         const std::vector<uint32_t>& before,
                                         const std::vector<uint32_t>& after) {
    std::vector<std::string> lines;
    for (size_t i = 0; i < quality.size();) {
        size_t end = i + 1;
        while (end < quality.size() && quality[end] == quality[i]) ++end;
        if (quality[i] < asked) {
            uint64_t was = 0, now = 0;
            for (size_t k = i; k < end; ++k) was += before[k], now += after[k];
            lines.push_back("frames " + std::to_string(i) + "-" + std::to_string(end - 1) +
                            ": quality " + std::to_string(static_cast<int>(asked)) + " -> " +
                            std::to_string(static_cast<int>(std::lround(quality[i]))) + ", " +
                            std::to_string(was) + " -> " + std::to_string(now) + " bytes");
        }
        i = end;
    }
    return lines;
}

}  // namespace

bool PaletteFitsFormat(const Palette& palette) {
    return QuantizePalette(palette) == palette;
}

std::vector<uint32_t> FrameSizesOf(const std::vector<uint8_t>& movie) {
    std::vector<uint32_t> sizes;
    if (movie.size() < 104) return sizes;
    auto u32 = [&](size_t at) {
        return uint32_t{movie[at]} | uint32_t{movie[at + 1]} << 8 | uint32_t{movie[at + 2]} << 16 |
               uint32_t{movie[at + 3]} << 24;
    };
    const size_t total = u32(12) + (u32(20) & 1);
    if (movie.size() < 104 + 4 * total) return sizes;
    for (size_t i = 0; i < total; ++i) sizes.push_back(u32(104 + 4 * i));
    return sizes;
}

bool AuthorMovie(MovieSpec& plan, const std::vector<SourceFrame>& sources,
                 const AuthorOptions& options, std::vector<uint8_t>& movie, AuthorReport& report,
                 std::string& error) {
    movie.clear();
    report = {};
    if (!CheckSources(plan, sources, error)) return false;
    const size_t frames = sources.size(), pixels = size_t{plan.width} * plan.height;
    PalettePlan palettes;
    if (!PlanPalettes(sources, plan.width, plan.height, options, palettes, error)) return false;

    // The palettised pictures: every pixel's nearest entry (or the source's own indices).
    std::vector<std::vector<uint8_t>> palettised(frames);
    PaletteMapper mapper;
    for (size_t i = 0; i < frames; ++i) {
        if (palettes.keepIndices[i]) {
            palettised[i] = sources[i].indices;
        } else {
            palettised[i].resize(pixels);
            mapper.SetPalette(palettes.palettes[i]);
            mapper.Map(sources[i].rgb.data(), plan.width, plan.height, options.dither,
                       palettised[i].data());
        }
        if (options.progress) options.progress(AuthorStep::kMapping, i + 1, frames, 1);
    }
    std::vector<ColourSet> recoloured(frames);
    for (size_t i = 1; i < frames; ++i)
        recoloured[i] = Recoloured(palettes.palettes[i - 1], palettes.palettes[i]);

    const double asked = std::clamp(options.quality, 1, kLosslessQuality);
    std::vector<double> quality(frames, asked);
    const uint32_t fps = FramesPerSecond(plan.frameRate);
    std::vector<uint32_t> firstSizes;
    for (int pass = 0;; ++pass) {
        report.passes = pass + 1;
        BlockCostModel model;
        for (size_t i = 0; i < frames; ++i) {
            Frame& frame = plan.frames[i];
            frame.palette = palettes.palettes[i];
            if (quality[i] >= kLosslessQuality) {
                frame.pixels = palettised[i];
            } else {
                frame.pixels.resize(pixels);
                mapper.SetPalette(palettes.palettes[i]);
                LossyFrame lossy;
                lossy.rgb = sources[i].rgb.data();
                lossy.palettised = palettised[i].data();
                lossy.previous = i == 0 ? nullptr : plan.frames[i - 1].pixels.data();
                lossy.recoloured = &recoloured[i];
                lossy.lambda = LambdaForQuality(quality[i]);
                SimplifyFrame(lossy, plan.width, plan.height, mapper, model, frame.pixels.data());
            }
            if (options.progress) options.progress(AuthorStep::kCoding, i + 1, frames, pass + 1);
        }
        if (!EncodeMovie(plan, {}, movie, error)) return false;
        if (options.maxRate == 0) return true;
        const std::vector<uint32_t> sizes = FrameSizesOf(movie);
        if (pass == 0) firstSizes = sizes;
        const std::vector<RateWindow> over = WindowsOverCap(sizes, fps, options.maxRate);
        if (over.empty()) {
            report.squeezed = DescribeSqueeze(quality, asked, firstSizes, sizes);
            return true;
        }
        // Lower the quality of every frame in a window that is too large, by more where it is
        // far over. The ring frame stands for frame 0's picture.
        std::vector<double> lowered = quality;
        for (const RateWindow& window : over) {
            const double factor =
                static_cast<double>(window.bytes) / static_cast<double>(options.maxRate);
            const double step = std::round(std::clamp(14 * std::log2(factor) + 5, 5.0, 40.0));
            for (size_t k = window.first; k <= window.last; ++k) {
                const size_t f = k < frames ? k : 0;
                lowered[f] = std::min(lowered[f], std::max(kLowestQuality, quality[f] - step));
            }
        }
        if (lowered == quality || pass + 1 == kMaxPasses) {
            const RateWindow& worst = *std::max_element(
                over.begin(), over.end(),
                [](const RateWindow& a, const RateWindow& b) { return a.bytes < b.bytes; });
            error = "cannot keep to " + std::to_string(options.maxRate) +
                    " bytes per second: frames " + std::to_string(worst.first) + "-" +
                    std::to_string(worst.last) + " still take " + std::to_string(worst.bytes) +
                    (lowered == quality ? " bytes at the lowest quality"
                                        : " bytes after " + std::to_string(kMaxPasses) + " passes");
            movie.clear();
            return false;
        }
        quality = std::move(lowered);
    }
}

}  // namespace tavik::enc
