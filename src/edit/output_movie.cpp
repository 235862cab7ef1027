#include "edit/output_movie.h"

#include <cerrno>
#include <cstring>
#include <filesystem>

#include "format/frame_table.h"

namespace tavik::edit {

OutputMovie::~OutputMovie() {
    if (!file_) return;
    std::fclose(file_);
    std::error_code ignored;
    std::filesystem::remove(partial_, ignored);
}

bool OutputMovie::Fail(const std::string& what, std::string& error) {
    error = partial_ + ": " + what + (errno ? std::string(": ") + std::strerror(errno) : "");
    return false;
}

bool OutputMovie::Begin(const std::string& path, const TavikHeader& header, uint32_t frameTotal,
                        const std::vector<uint8_t>& treeBlock, std::string& error) {
    path_ = path;
    partial_ = path + ".partial";
    frameTotal_ = frameTotal;
    tablesEnd_ = TAVIK_HEADER_SIZE + 5ull * frameTotal + treeBlock.size();
    errno = 0;
    file_ = std::fopen(partial_.c_str(), "wb");
    if (!file_) return Fail("cannot be written", error);
    const std::vector<uint8_t> tables(5ull * frameTotal, 0);
    if (std::fwrite(&header, TAVIK_HEADER_SIZE, 1, file_) != 1 ||
        std::fwrite(tables.data(), 1, tables.size(), file_) != tables.size() ||
        std::fwrite(treeBlock.data(), 1, treeBlock.size(), file_) != treeBlock.size())
        return Fail("write error", error);
    return true;
}

bool OutputMovie::AddFrame(uint8_t type, const std::vector<uint8_t>& bytes, std::string& error) {
    frameBytes_ += bytes.size();
    errno = 0;
    if (sizes_.size() == frameTotal_) return Fail("more frames than the movie has", error);
    // The engine's limits on the frames: the header and tables come first in the file.
    const std::string problem = FrameTableProblem({frameBytes_, 0}, tablesEnd_, UINT64_MAX);
    if (!problem.empty()) return Fail(problem, error);
    sizes_.push_back(static_cast<uint32_t>(bytes.size()));
    types_.push_back(type);
    errno = 0;
    if (std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        return Fail("write error", error);
    return true;
}

bool OutputMovie::Finish(std::string& error) {
    errno = 0;
    if (sizes_.size() != frameTotal_) return Fail("frames are missing", error);
    std::vector<uint8_t> tables;
    for (uint32_t size : sizes_)
        for (int i = 0; i < 4; ++i) tables.push_back(static_cast<uint8_t>(size >> (8 * i)));
    tables.insert(tables.end(), types_.begin(), types_.end());
    if (std::fseek(file_, TAVIK_HEADER_SIZE, SEEK_SET) != 0 ||
        std::fwrite(tables.data(), 1, tables.size(), file_) != tables.size())
        return Fail("write error", error);
    const int closed = std::fclose(file_);
    file_ = nullptr;
    std::error_code failure;
    if (closed == 0) std::filesystem::rename(partial_, path_, failure);
    if (closed != 0 || failure) {
        std::filesystem::remove(partial_, failure);
        error = path_ + ": cannot be written";
        return false;
    }
    return true;
}

}  // namespace tavik::edit
