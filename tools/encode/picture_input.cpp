#include "encode/picture_input.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <vector>

#include "encoder/encoder.h"

#ifdef TAVIK_HAVE_PNG
#include <png.h>

#include <csetjmp>
#endif

namespace tavik::tools {

#ifdef TAVIK_HAVE_PNG

namespace {

// Far above any display, and it keeps every size well inside 32 bits.

struct PngErrorText {
    char text[200] = "";
};

void PngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngErrorText*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// The steps that libpng may leave by a long jump hold no objects with destructors.
bool ReadPngHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height,
                   int* colourType) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0;
    png_get_IHDR(png, info, width, height, &depth, colourType, nullptr, nullptr, nullptr);
    if (*colourType == PNG_COLOR_TYPE_PALETTE) {
        if (depth < 8) png_set_packing(png);
    } else {
        png_set_scale_16(png);
        png_set_expand_gray_1_2_4_to_8(png);
        if (png_get_valid(png, info, PNG_INFO_tRNS)) png_set_tRNS_to_alpha(png);
        png_set_gray_to_rgb(png);
    }
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_infop info, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

size_t RowBytes(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png))) return 0;
    return png_get_rowbytes(png, info);
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

}  // namespace

bool ReadPngPicture(const std::string& path, uint32_t& width, uint32_t& height,
                    enc::SourceFrame& frame, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = path + ": " + why;
        return false;
    };
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(std::string("cannot open: ") + std::strerror(errno));
    PngErrorText pngError;
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &pngError, PngError, PngWarning);
    if (reader.png) reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return fail("out of memory");
    png_init_io(reader.png, file.get());
    png_uint_32 w = 0, h = 0;
    int colourType = 0;
    if (!ReadPngHeader(reader.png, reader.info, &w, &h, &colourType))
        return fail(std::string("not a readable PNG (") + pngError.text + ")");
    if (width == 0) {
        width = w;
        height = h;
    } else if (w != width || h != height) {
        return fail(std::to_string(w) + "x" + std::to_string(h) +
                    " differs from the first frame's " + std::to_string(width) + "x" +
                    std::to_string(height));
    }
    if (const std::string problem = enc::PictureSizeProblem(w, h); !problem.empty())
        return fail(problem);
    const size_t pixels = size_t{w} * h;
    const bool indexed = colourType == PNG_COLOR_TYPE_PALETTE;
    const size_t rowBytes = RowBytes(reader.png, reader.info);
    const size_t channels = indexed ? 1 : rowBytes / (w ? w : 1);
    if (rowBytes != channels * w || (!indexed && channels != 3 && channels != 4))
        return fail("unexpected PNG layout");
    std::vector<uint8_t> data(pixels * channels);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = data.data() + size_t{y} * rowBytes;
    if (!ReadPngRows(reader.png, reader.info, rows.data()))
        return fail(std::string("broken PNG (") + pngError.text + ")");
    frame.rgb.resize(3 * pixels);
    if (indexed) {
        png_colorp colours = nullptr;
        int count = 0;
        if (png_get_PLTE(reader.png, reader.info, &colours, &count) != PNG_INFO_PLTE)
            return fail("the PNG has no palette");
        enc::Palette palette{};
        for (int i = 0; i < count && i < 256; ++i) {
            palette[3 * i] = colours[i].red;
            palette[3 * i + 1] = colours[i].green;
            palette[3 * i + 2] = colours[i].blue;
        }
        for (size_t i = 0; i < pixels; ++i)
            std::memcpy(frame.rgb.data() + 3 * i, palette.data() + 3 * data[i], 3);
        frame.palette = palette;
        frame.indices = std::move(data);
        return true;
    }
    frame.palette.reset();
    frame.indices.clear();
    for (size_t i = 0; i < pixels; ++i) {
        const uint8_t* p = data.data() + channels * i;
        const unsigned alpha = channels == 4 ? p[3] : 255;
        for (int c = 0; c < 3; ++c)
            frame.rgb[3 * i + c] = static_cast<uint8_t>((p[c] * alpha + 127) / 255);
    }
    return true;
}

#else

bool ReadPngPicture(const std::string& path, uint32_t&, uint32_t&, enc::SourceFrame&,
                    std::string& error) {
    error = path + ": this tavik-encode was built without PNG support";
    return false;
}

#endif

}  // namespace tavik::tools
