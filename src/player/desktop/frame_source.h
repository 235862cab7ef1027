// The pictures of the movie being played, from the embedding interface (which can seek): what a
// screenshot saves, exactly, whatever the screen shows.
#pragma once

#include <cstdio>
#include <string>

#include "tavik/decoder.h"

namespace tavik {

class FrameSource {
  public:
    FrameSource() = default;
    FrameSource(const FrameSource&) = delete;
    FrameSource& operator=(const FrameSource&) = delete;
    ~FrameSource() { Close(); }

    // A movie file, or (with `offset`) the movie inside a file that begins `offset` bytes in.
    bool Open(const std::string& path, uint64_t offset);
    void Close();
    bool Ready() const { return decoder_ != nullptr; }
    const TavikInfo& Info() const { return *TavikDecoderGetInfo(decoder_); }
    // Frame `number` as play from the start shows it; null when it cannot be had. Valid until
    // the next call.
    const TavikFrame* Frame(uint32_t number);

  private:
    TavikDecoder* decoder_ = nullptr;
    TavikFrame frame_{};
    std::FILE* file_ = nullptr;  // the program's own file, for the self-play movie
    uint64_t offset_ = 0;
    static size_t Read(void* user, void* destination, size_t count);
    static int Seek(void* user, uint64_t offset);
};

}  // namespace tavik
