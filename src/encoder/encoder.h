// The movie encoder: turns frames of palette indices, palettes and PCM sound into a movie file.
// Video is lossless; palettes are exact for colours whose components survive the 6-bit store
// (see QuantizePalette); sound is lossless in both the compressed and the plain form.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tavik::enc {

constexpr int kTrackCount = 7;

struct AudioTrackFormat {
    uint32_t rate = 22050;  // samples per second, below 2^24
    bool stereo = false;
    bool is16Bit = false;
    bool compressed = true;
};

using Palette = std::array<uint8_t, 768>;  // 256 entries of red, green, blue (8 bits each)

struct Frame {
    std::vector<uint8_t> pixels;  // width * height palette indices, top-down (stored height)
    // A new palette from this frame on. Only frames whose palette really changes (after the 6-bit
    // store) get a palette chunk; frame 0 always gets one.
    std::optional<Palette> palette;
    // This frame's PCM per track (WAVE layout: 8-bit unsigned, 16-bit signed little-endian,
    // stereo interleaved left first); nullopt = no chunk for that track in this frame.
    std::array<std::optional<std::vector<uint8_t>>, kTrackCount> audio;
    // Whole audio chunks (length field included) stored exactly as given, for tracks whose
    // `audio` is unset: sound copied from another movie.
    std::array<std::optional<std::vector<uint8_t>>, kTrackCount> audioChunks;
};

struct MovieSpec {
    uint32_t width = 0, height = 0;  // multiples of 4; height = stored height
    int32_t frameRate = 66;          // header field as is (ms if > 0, -10us units if < 0, 0 none)
    // Append a ring frame that turns the last picture into frame 0's (pixels and palette).
    bool ringFrame = false;
    bool interlaced = false, doubled = false;  // header flag bits 1 and 2
    std::vector<Frame> frames;                 // frame 0 must carry a palette
    std::array<std::optional<AudioTrackFormat>, kTrackCount> tracks;
    // Sound carried by the ring frame, per track (the ring frame stands in for frame 0 when
    // playback wraps, without the sound reset that a wrap to frame 0 makes).
    std::array<std::optional<std::vector<uint8_t>>, kTrackCount> ringFrameAudio;
    std::array<std::optional<std::vector<uint8_t>>, kTrackCount> ringFrameAudioChunks;
    // The header's largest decoded chunk per track is at least this (a copied movie's value).
    std::array<uint32_t, kTrackCount> audioMaxSizeAtLeast{};
};

struct EncodeOptions {
    // false: force other block types (tests, benchmarks: all false = all full blocks).
    bool allowSkip = true, allowSolid = true, allowTwoColour = true;
    bool useMarkers = true;  // recent-value marker leaves
};

// Returns the movie file, or an empty vector when the movie cannot be encoded.
std::vector<uint8_t> EncodeMovie(const MovieSpec& plan, const EncodeOptions& options = {});
// The same, with the reason for a failure in `error`.
bool EncodeMovie(const MovieSpec& plan, const EncodeOptions& options, std::vector<uint8_t>& movie,
                 std::string& error);

bool WriteFile(const std::string& path, const std::vector<uint8_t>& bytes);

// Empty when pictures of this size can be encoded (the format's limit per side, the encoder's
// on pixels, see format/limits.h); else what is wrong, naming the limit. Picture readers check
// it before reading any pixels.
std::string PictureSizeProblem(uint64_t width, uint64_t height);

// A palette component is stored with 6 bits (value >> 2) and comes back as (c << 2) | (c >> 4).
// Only components of that form round-trip exactly; QuantizePalette maps every component to the
// value it will decode to.
uint8_t QuantizeComponent(uint8_t value);
Palette QuantizePalette(const Palette& palette);

// The built-in procedural demo: 320x200, 160 frames at 15 frames per second, one sound track.
MovieSpec MakeDemoMovie();

}  // namespace tavik::enc
