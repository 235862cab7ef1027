// Screenshots: the decoder's frame converted to RGB and written by the tools' PNG writer.
#include "player/desktop/screenshot.h"

#include <cstdio>
#include <vector>

#include "common/image_writer.h"

namespace tavik {

std::string ScreenshotName(const std::string& movieName, uint32_t number) {
    const size_t slash = movieName.find_last_of("/\\:");
    std::string stem = slash == std::string::npos ? movieName : movieName.substr(slash + 1);
    const size_t dot = stem.rfind('.');
    if (dot != std::string::npos && dot > 0) stem.resize(dot);
    if (stem.empty()) stem = "movie";
    char digits[16];
    std::snprintf(digits, sizeof digits, "-%05u.png", number);
    return stem + digits;
}

std::string SaveScreenshot(FrameSource& source, const std::string& movieName, uint32_t number,
                           std::string& error) {
    if (!tools::PngAvailable()) return error = "this build writes no PNG files", "";
    const TavikFrame* frame = source.Frame(number);
    if (frame == nullptr) return error = "the frame cannot be decoded", "";
    const TavikInfo& info = source.Info();
    std::vector<uint8_t> rgb(size_t{info.Width} * info.Height * 3);
    if (TavikConvertFrame(frame, &info, TavikRGB24, rgb.data(),
                          static_cast<ptrdiff_t>(info.Width) * 3) != TavikOk) {
        return error = "the frame cannot be converted", "";
    }
    const std::string name = ScreenshotName(movieName, number);
    if (!tools::WritePng(name, info.Width, info.Height, rgb, error)) return "";
    return name;
}

}  // namespace tavik
