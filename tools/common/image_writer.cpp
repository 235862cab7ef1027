#include "image_writer.h"

#include <cerrno>
#include <cstdio>
#include <memory>

#ifdef TAVIK_HAVE_PNG
#include <png.h>
#endif

#include "file_problem.h"

namespace tavik::tools {
namespace {

struct FileCloser {
    void operator()(std::FILE* f) const { std::fclose(f); }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

}  // namespace

std::vector<uint8_t> ToRgb(const uint8_t* indices, size_t count, const uint8_t* palette) {
    std::vector<uint8_t> rgb(count * 3);
    for (size_t i = 0; i < count; ++i) {
        const uint8_t* c = palette + 3 * indices[i];
        rgb[3 * i] = c[0];
        rgb[3 * i + 1] = c[1];
        rgb[3 * i + 2] = c[2];
    }
    return rgb;
}

bool WritePpm(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgb, std::string& error) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        error = path + ": cannot write: " + WhyNotWritten(path, errno);
        return false;
    }
    std::fprintf(f.get(), "P6\n%u %u\n255\n", width, height);
    if (std::fwrite(rgb.data(), 1, rgb.size(), f.get()) != rgb.size() || std::fflush(f.get())) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

bool PngAvailable() {
#ifdef TAVIK_HAVE_PNG
    return true;
#else
    return false;
#endif
}

#ifdef TAVIK_HAVE_PNG
namespace {

// Rows of `bytesPerRow` bytes each; `palette` (256 RGB triples) makes it an indexed PNG.
bool WritePngRows(const std::string& path, uint32_t width, uint32_t height, const uint8_t* rows,
                  size_t bytesPerRow, const uint8_t* palette, std::string& error) {
    File f(std::fopen(path.c_str(), "wb"));
    if (!f) {
        error = path + ": cannot write: " + WhyNotWritten(path, errno);
        return false;
    }
    png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
    png_infop info = png ? png_create_info_struct(png) : nullptr;
    if (!info) {
        png_destroy_write_struct(&png, nullptr);
        error = "out of memory";
        return false;
    }
    if (setjmp(png_jmpbuf(png))) {
        png_destroy_write_struct(&png, &info);
        error = "cannot write " + path;
        return false;
    }
    png_init_io(png, f.get());
    png_set_IHDR(png, info, width, height, 8, palette ? PNG_COLOR_TYPE_PALETTE : PNG_COLOR_TYPE_RGB,
                 PNG_INTERLACE_NONE, PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    png_color colours[256];
    if (palette) {
        for (int i = 0; i < 256; ++i)
            colours[i] = {palette[3 * i], palette[3 * i + 1], palette[3 * i + 2]};
        png_set_PLTE(png, info, colours, 256);
    }
    png_write_info(png, info);
    for (uint32_t y = 0; y < height; ++y)
        png_write_row(png, const_cast<png_bytep>(rows + size_t{y} * bytesPerRow));
    png_write_end(png, nullptr);
    png_destroy_write_struct(&png, &info);
    return true;
}

}  // namespace
#endif

bool WritePng(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgb, std::string& error) {
#ifdef TAVIK_HAVE_PNG
    return WritePngRows(path, width, height, rgb.data(), size_t{width} * 3, nullptr, error);
#else
    (void)width, (void)height, (void)rgb;
    error = "PNG output is not available in this build: " + path;
    return false;
#endif
}

bool WriteIndexedPng(const std::string& path, uint32_t width, uint32_t height,
                     const uint8_t* indices, const uint8_t* palette, std::string& error) {
#ifdef TAVIK_HAVE_PNG
    return WritePngRows(path, width, height, indices, width, palette, error);
#else
    (void)width, (void)height, (void)indices, (void)palette;
    error = "PNG output is not available in this build: " + path;
    return false;
#endif
}

}  // namespace tavik::tools
