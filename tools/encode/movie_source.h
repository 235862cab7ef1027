// What tavik-encode takes from an existing movie: its frame rate, flags and sound tracks
// (--like), its sound chunks (--keep-sound) and its first palette (--palette-from).
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::tools {

using TrackChunks = std::array<std::optional<std::vector<uint8_t>>, enc::kTrackCount>;

struct MovieFacts {
    int32_t frameRate = 0;
    bool ring = false, interlaced = false, doubled = false;
    uint32_t frameCount = 0;
    std::array<std::optional<enc::AudioTrackFormat>, enc::kTrackCount> tracks;
    std::array<uint32_t, enc::kTrackCount> audioMaxSize{};
    enc::Palette firstPalette{};
    // With sound read: every frame's chunks in file order, the ring frame last.
    std::vector<TrackChunks> sound;
};

// Opens the movie through the engine. Returns false with a reason naming the file.
bool ReadMovieFacts(const std::string& path, bool withSound, MovieFacts& facts, std::string& error);

// Whether the file starts like a movie (rather than a PNG).
bool LooksLikeMovie(const std::string& path);

}  // namespace tavik::tools
