// The pictures of the movie being played, from the embedding interface (which can seek): what
// seeking puts in the display buffer and what a screenshot saves.
#pragma once

#include <array>
#include <cstdio>
#include <string>
#include <vector>

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
    // Where frame `number`'s sound of track t begins in the track's sound; false when unknown.
    bool SoundOffset(uint32_t number, int t, uint64_t* offset);
    // The sound of every track in `tracks` (bit t: track t) that frames `from` to `to` - 1
    // bring, one after another, into sound[t]; false when a frame cannot be had.
    bool CollectSound(uint32_t from, uint32_t to, uint32_t tracks,
                      std::array<std::vector<uint8_t>, 7>& sound);

  private:
    TavikDecoder* decoder_ = nullptr;
    TavikFrame frame_{};
    std::FILE* file_ = nullptr;  // the program's own file, for the self-play movie
    uint64_t offset_ = 0;
    static size_t Read(void* user, void* destination, size_t count);
    static int Seek(void* user, uint64_t offset);
};

}  // namespace tavik
