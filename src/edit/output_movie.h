// Writes the edited movie under a temporary name (the final name plus ".partial") and renames it
// once it is complete, so that a failure leaves no movie behind. The frame tables come before
// the frames in the file; they are written last, when every frame's size is known.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "tavik/movie.h"

namespace tavik::edit {

class OutputMovie {
  public:
    OutputMovie() = default;
    OutputMovie(const OutputMovie&) = delete;
    OutputMovie& operator=(const OutputMovie&) = delete;
    ~OutputMovie();  // removes an unfinished file

    // Starts the file: the header, room for the tables of `frameTotal` frames, the tree block.
    bool Begin(const std::string& path, const TavikHeader& header, uint32_t frameTotal,
               const std::vector<uint8_t>& treeBlock, std::string& error);
    bool AddFrame(uint8_t type, const std::vector<uint8_t>& bytes, std::string& error);
    // Writes the tables and gives the file its name.
    bool Finish(std::string& error);
    const std::vector<uint32_t>& FrameSizes() const { return sizes_; }

  private:
    bool Fail(const std::string& what, std::string& error);

    std::string path_, partial_;
    std::FILE* file_ = nullptr;
    uint32_t frameTotal_ = 0;
    uint64_t frameBytes_ = 0;
    uint64_t tablesEnd_ = 0;  // where frame 0 begins
    std::vector<uint32_t> sizes_;
    std::vector<uint8_t> types_;
};

}  // namespace tavik::edit
