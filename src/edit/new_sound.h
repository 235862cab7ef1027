// A sound track made anew from given PCM (a dub): the PCM converted to the track's format and
// spread over the frames as the movie spreads the track's own sound, so that the new sound keeps
// the old one's lead and pace.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::edit {

struct NewSound {
    int track = 0;
    std::string name;              // for messages: the file it came from
    enc::AudioTrackFormat source;  // the PCM's format (8-bit unsigned or 16-bit signed)
    std::vector<uint8_t> pcm;      // WAVE layout
    // The track's new format; unset: the track's own, or the source's for a track the movie
    // does not have.
    std::optional<enc::AudioTrackFormat> format;
};

// PCM of one format in another: channels mixed down or doubled, the rate changed (averaging
// when it falls, interpolating when it rises), 8 and 16 bits converted.
std::vector<uint8_t> ConvertPcm(const std::vector<uint8_t>& pcm, const enc::AudioTrackFormat& from,
                                const enc::AudioTrackFormat& to);

class TrackSound {
  public:
    // `stored`: the bytes of sound each frame's chunk of the track brings, in file order (the
    // ring frame last), -1 for a frame without one; empty when the movie lacks the track, whose
    // sound then runs a second ahead of the pictures as the encoder lays it out. `frameTime` in
    // 10-microsecond ticks. Notes on a sound of another length than the track go to `messages`.
    TrackSound(const NewSound& sound, const enc::AudioTrackFormat& format,
               const std::optional<enc::AudioTrackFormat>& storedFormat,
               const std::vector<int64_t>& stored, uint32_t frameCount, uint32_t frameTotal,
               uint32_t frameTime, std::vector<std::string>& messages);

    const enc::AudioTrackFormat& Format() const { return format_; }
    bool HasChunk(uint32_t frame) const { return present_[frame] != 0; }
    // The frame's whole chunk; silence where the sound has ended.
    std::vector<uint8_t> Chunk(uint32_t frame) const;
    // The largest number of bytes a chunk brings.
    uint32_t MaxChunk() const { return maxChunk_; }

  private:
    enc::AudioTrackFormat format_;
    std::vector<uint8_t> pcm_;
    std::vector<uint64_t> begin_;
    std::vector<uint32_t> bytes_;
    std::vector<uint8_t> present_;
    uint32_t maxChunk_ = 0;
};

}  // namespace tavik::edit
