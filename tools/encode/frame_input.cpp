#include "encode/frame_input.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>

#include "encode/picture_input.h"
#include "encoder/y4m_reader.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

namespace tavik::tools {

namespace {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};

// The header's frame time for a rate of numerator / denominator frames per second: the nearest
// whole number of 10-microsecond ticks, negated, as tavik-encode --fps stores it.
int32_t FrameRateField(uint32_t numerator, uint32_t denominator) {
    const uint64_t ticks = (uint64_t{denominator} * 100000 + numerator / 2) / numerator;
    return ticks == 0 ? -1 : -static_cast<int32_t>(std::min<uint64_t>(ticks, 0x7FFFFFFF));
}

}  // namespace

bool ReadPngFrames(const std::vector<std::string>& paths, FrameInput& input, std::string& error,
                   const ReadProgress& progress) {
    input.frames.reserve(paths.size());
    for (const std::string& path : paths) {
        input.frames.emplace_back();
        if (!ReadPngPicture(path, input.width, input.height, input.frames.back(), error))
            return false;
        progress(input.frames.size(), paths.size());
    }
    return true;
}

bool ReadY4mFrames(const std::string& path, FrameInput& input, std::string& error,
                   const ReadProgress& progress) {
    const std::string name = path == "-" ? "standard input" : path;
    std::FILE* raw = stdin;
    if (path == "-") {
#ifdef _WIN32
        _setmode(_fileno(stdin), _O_BINARY);
#endif
    } else {
        raw = std::fopen(path.c_str(), "rb");
        if (!raw) {
            error = path + ": cannot open: " + std::strerror(errno);
            return false;
        }
    }
    std::unique_ptr<std::FILE, FileCloser> file(raw);
    enc::Y4mReader reader(
        [&](uint8_t* to, size_t count) { return std::fread(to, 1, count, file.get()); });
    std::string why;
    if (!reader.ReadHeader(why)) {
        error = name + ": " + why;
        return false;
    }
    input.width = reader.width();
    input.height = reader.height();
    if (reader.rateNumerator() != 0)
        input.frameRate = FrameRateField(reader.rateNumerator(), reader.rateDenominator());
    for (;;) {
        enc::SourceFrame frame;
        const enc::Y4mReader::Status status = reader.ReadFrame(frame.rgb, why);
        if (status == enc::Y4mReader::Status::kEnd) break;
        if (status == enc::Y4mReader::Status::kError) {
            error = name + ": " + why;
            return false;
        }
        input.frames.push_back(std::move(frame));
        progress(input.frames.size(), 0);
    }
    if (input.frames.empty()) {
        error = name + ": the stream has no frames";
        return false;
    }
    return true;
}

}  // namespace tavik::tools
