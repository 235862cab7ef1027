#include "encoder/quantise.h"

#include <algorithm>
#include <memory>

#include "encoder/authoring.h"

#ifdef TAVIK_HAVE_IMAGEQUANT
#include <libimagequant.h>
#endif

namespace tavik::enc {

#ifdef TAVIK_HAVE_IMAGEQUANT

namespace {

// Faster than the default with hardly a visible difference at 256 colours.
constexpr int kQuantiserSpeed = 6;

struct AttrDeleter {
    void operator()(liq_attr* p) const { liq_attr_destroy(p); }
};
struct HistogramDeleter {
    void operator()(liq_histogram* p) const { liq_histogram_destroy(p); }
};
struct ImageDeleter {
    void operator()(liq_image* p) const { liq_image_destroy(p); }
};
struct ResultDeleter {
    void operator()(liq_result* p) const { liq_result_destroy(p); }
};

}  // namespace

bool QuantiserAvailable() {
    return true;
}

bool QuantiseColours(const std::vector<const uint8_t*>& pictures, uint32_t width, uint32_t height,
                     const std::vector<Rgb>& fixed, int freeEntries, std::vector<Rgb>& colours,
                     std::string& error) {
    colours.clear();
    const size_t pixels = size_t{width} * height;
    if (freeEntries <= 0 || pictures.empty() || pixels == 0) return true;
    std::vector<Rgb> distinctFixed;
    for (Rgb c : fixed)
        if (std::find(distinctFixed.begin(), distinctFixed.end(), c) == distinctFixed.end())
            distinctFixed.push_back(c);
    const int maxColours = std::min<int>(256, freeEntries + static_cast<int>(distinctFixed.size()));
    std::unique_ptr<liq_attr, AttrDeleter> attr(liq_attr_create());
    if (!attr) return error = "out of memory", false;
    liq_set_max_colors(attr.get(), std::max(2, maxColours));
    liq_set_min_posterization(attr.get(), 2);  // 6 bits per component
    liq_set_speed(attr.get(), kQuantiserSpeed);
    std::unique_ptr<liq_histogram, HistogramDeleter> histogram(liq_histogram_create(attr.get()));
    if (!histogram) return error = "out of memory", false;
    std::vector<uint8_t> rgba(pixels * 4);
    for (const uint8_t* picture : pictures) {
        for (size_t i = 0; i < pixels; ++i) {
            std::copy_n(picture + 3 * i, 3, rgba.data() + 4 * i);
            rgba[4 * i + 3] = 255;
        }
        std::unique_ptr<liq_image, ImageDeleter> image(liq_image_create_rgba(
            attr.get(), rgba.data(), static_cast<int>(width), static_cast<int>(height), 0));
        if (!image || liq_histogram_add_image(histogram.get(), attr.get(), image.get()) != LIQ_OK)
            return error = "the quantiser failed", false;
    }
    for (Rgb c : distinctFixed)
        liq_histogram_add_fixed_color(histogram.get(), liq_color{c.r, c.g, c.b, 255}, 0);
    liq_result* raw = nullptr;
    if (liq_histogram_quantize(histogram.get(), attr.get(), &raw) != LIQ_OK || !raw)
        return error = "the quantiser failed", false;
    std::unique_ptr<liq_result, ResultDeleter> result(raw);
    const liq_palette* palette = liq_get_palette(result.get());
    for (unsigned i = 0; i < palette->count; ++i) {
        const Rgb c =
            NearestStored({palette->entries[i].r, palette->entries[i].g, palette->entries[i].b});
        if (std::find(distinctFixed.begin(), distinctFixed.end(), c) != distinctFixed.end() ||
            std::find(colours.begin(), colours.end(), c) != colours.end())
            continue;
        colours.push_back(c);
    }
    if (static_cast<int>(colours.size()) > freeEntries) colours.resize(freeEntries);
    return true;
}

#else

bool QuantiserAvailable() {
    return false;
}

bool QuantiseColours(const std::vector<const uint8_t*>&, uint32_t, uint32_t,
                     const std::vector<Rgb>&, int, std::vector<Rgb>& colours, std::string& error) {
    colours.clear();
    error =
        "this build has no colour quantiser (libimagequant): only indexed pictures whose "
        "palettes are kept, or a fixed palette, can be used";
    return false;
}

#endif

}  // namespace tavik::enc
