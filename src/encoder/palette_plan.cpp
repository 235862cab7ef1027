#include "encoder/palette_plan.h"

#include <algorithm>
#include <climits>

#include "encoder/palette_refine.h"
#include "encoder/quantise.h"

namespace tavik::enc {

namespace {

// Frames whose colours feed the quantiser, at most: spread evenly over the stretch.
constexpr size_t kPicturesPerPalette = 12;
// Share of pixels (of 1) whose coarse colour must differ from the scene's first frame for a new
// scene to start.
constexpr double kSceneChange = 0.30;
// A colour this close (squared 8-bit distance) to the previous palette's entry takes it, when
// palettes follow each other frame by frame: small drifts then recolour nothing.
constexpr int kFrameSnap = 48;
constexpr int kRefineSteps = 3;

using Histogram = std::vector<uint32_t>;  // 8 x 8 x 8 coarse colours

Histogram CoarseHistogram(const uint8_t* rgb, size_t pixels) {
    Histogram h(512, 0);
    // Every fourth pixel is plenty for a decision about the whole picture.
    for (size_t i = 0; i < pixels; i += 4, rgb += 12)
        ++h[rgb[0] >> 5 << 6 | rgb[1] >> 5 << 3 | rgb[2] >> 5];
    return h;
}

double HistogramChange(const Histogram& a, const Histogram& b) {
    uint64_t total = 0, differ = 0;
    for (size_t i = 0; i < a.size(); ++i) {
        total += a[i];
        differ += a[i] > b[i] ? a[i] - b[i] : b[i] - a[i];
    }
    return total ? static_cast<double>(differ) / (2.0 * static_cast<double>(total)) : 0;
}

std::vector<const uint8_t*> SpreadPictures(const std::vector<SourceFrame>& sources, size_t begin,
                                           size_t end) {
    std::vector<const uint8_t*> pictures;
    const size_t count = end - begin;
    const size_t step = (count + kPicturesPerPalette - 1) / kPicturesPerPalette;
    for (size_t i = begin; i < end; i += step) pictures.push_back(sources[i].rgb.data());
    return pictures;
}

bool Fits(const SourceFrame& source) {
    return source.palette && PaletteFitsFormat(*source.palette);
}

// The palette of one stretch of frames, laid out against `previous`.
bool StretchPalette(const std::vector<SourceFrame>& sources, size_t begin, size_t end,
                    uint32_t width, uint32_t height, const AuthorOptions& options,
                    const Palette& previous, int snap, Palette& out, std::string& error) {
    const Palette given = options.givenPalette ? QuantizePalette(*options.givenPalette) : Palette{};
    std::vector<Rgb> fixedColours;
    for (int i = 0; i < 256; ++i)
        if (options.fixedEntries[i]) fixedColours.push_back(EntryOf(given, i));
    const int freeEntries = 256 - static_cast<int>(fixedColours.size());
    std::vector<Rgb> colours;
    const std::vector<const uint8_t*> pictures = SpreadPictures(sources, begin, end);
    if (!QuantiseColours(pictures, width, height, fixedColours, freeEntries, colours, error))
        return false;
    RefineColours(pictures, size_t{width} * height, fixedColours, colours, kRefineSteps);
    out = PlaceColours(previous, colours, given, options.fixedEntries, snap);
    return true;
}

}  // namespace

Palette PlaceColours(const Palette& previous, const std::vector<Rgb>& colours, const Palette& given,
                     const std::array<bool, 256>& fixed, int snap) {
    Palette out = previous;
    std::array<bool, 256> taken = fixed;
    for (int i = 0; i < 256; ++i)
        if (fixed[i]) SetEntry(out, i, EntryOf(given, i));
    std::vector<Rgb> unplaced;
    // Exact matches first, so that a near colour cannot take an entry an exact one needs.
    for (Rgb c : colours) {
        int at = -1;
        for (int i = 0; i < 256 && at < 0; ++i)
            if (!taken[i] && EntryOf(previous, i) == c) at = i;
        if (at >= 0)
            taken[at] = true;
        else
            unplaced.push_back(c);
    }
    std::vector<Rgb> rest;
    for (Rgb c : unplaced) {
        int at = -1, best = snap + 1;
        for (int i = 0; i < 256; ++i) {
            if (taken[i]) continue;
            const Rgb p = EntryOf(previous, i);
            const int d = Distance2(c.r, c.g, c.b, p.r, p.g, p.b);
            if (d < best) {
                best = d;
                at = i;
            }
        }
        if (at >= 0)
            taken[at] = true;  // the entry keeps its colour
        else
            rest.push_back(c);
    }
    int next = 0;
    for (Rgb c : rest) {
        while (next < 256 && taken[next]) ++next;
        if (next == 256) break;
        SetEntry(out, next, c);
        taken[next] = true;
    }
    return out;
}

std::vector<size_t> SceneStarts(const std::vector<SourceFrame>& sources, size_t pixels) {
    std::vector<size_t> starts;
    Histogram first;
    for (size_t i = 0; i < sources.size(); ++i) {
        Histogram h = CoarseHistogram(sources[i].rgb.data(), pixels);
        if (i == 0 || HistogramChange(first, h) > kSceneChange) {
            starts.push_back(i);
            first = std::move(h);
        }
    }
    return starts;
}

bool PlanPalettes(const std::vector<SourceFrame>& sources, uint32_t width, uint32_t height,
                  const AuthorOptions& options, PalettePlan& plan, std::string& error) {
    const size_t frames = sources.size(), pixels = size_t{width} * height;
    plan.palettes.assign(frames, Palette{});
    plan.keepIndices.assign(frames, false);
    const bool anyFixed = std::find(options.fixedEntries.begin(), options.fixedEntries.end(),
                                    true) != options.fixedEntries.end();
    if (options.givenPalette && !anyFixed) {
        plan.palettes.assign(frames, QuantizePalette(*options.givenPalette));
        return true;
    }
    if (!options.paletteMode && !options.givenPalette &&
        std::any_of(sources.begin(), sources.end(), Fits)) {
        // Indexed sources keep theirs. The others (pictures edited in truecolour, say) get a
        // palette of their own laid out against the nearest earlier (else later) indexed
        // frame's, so that the colours they still share keep their entries.
        const size_t first = static_cast<size_t>(
            std::find_if(sources.begin(), sources.end(), Fits) - sources.begin());
        size_t reference = first;
        for (size_t i = 0; i < frames; ++i) {
            if (Fits(sources[i])) {
                reference = i;
                plan.palettes[i] = *sources[i].palette;
                plan.keepIndices[i] = true;
                continue;
            }
            const Palette& near = *sources[reference].palette;
            std::string ignored;
            if (!StretchPalette(sources, i, i + 1, width, height, options, near, 0,
                                plan.palettes[i], ignored))
                plan.palettes[i] = near;  // no quantiser: the nearest indexed frame's palette
            if (options.progress) options.progress(AuthorStep::kPalettes, i + 1, frames, 1);
        }
        return true;
    }
    const PaletteMode mode = options.paletteMode.value_or(PaletteMode::kScenes);
    std::vector<size_t> starts;
    if (mode == PaletteMode::kGlobal) {
        starts = {0};
    } else if (mode == PaletteMode::kScenes) {
        starts = SceneStarts(sources, pixels);
    } else {
        for (size_t i = 0; i < frames; ++i) starts.push_back(i);
    }
    starts.push_back(frames);
    Palette previous{};
    for (size_t s = 0; s + 1 < starts.size(); ++s) {
        Palette palette;
        const int snap = mode == PaletteMode::kFrames && s > 0 ? kFrameSnap : 0;
        if (!StretchPalette(sources, starts[s], starts[s + 1], width, height, options, previous,
                            snap, palette, error))
            return false;
        for (size_t i = starts[s]; i < starts[s + 1]; ++i) plan.palettes[i] = palette;
        previous = palette;
        if (options.progress) options.progress(AuthorStep::kPalettes, s + 1, starts.size() - 1, 1);
    }
    return true;
}

}  // namespace tavik::enc
