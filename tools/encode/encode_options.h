// tavik-encode's command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/authoring.h"

namespace tavik::tools {

extern const char kEncodeUsage[];

// The frame rate field of pictures given without a rate: 66 ms a frame (15.15 per second).
constexpr int32_t kDefaultFrameRate = 66;

struct AudioSource {
    int track = 0;
    std::string path;
    bool plain = false;
};

struct EncodeOptions {
    bool demo = false, help = false, quiet = false;
    std::optional<int32_t> frameRate;  // unset: from --like, the y4m header, or kDefaultFrameRate
    bool ring = false, interlaced = false, doubled = false;
    uint32_t leadMs = 1000;
    std::vector<AudioSource> audio;
    std::string output;
    std::vector<std::string> frames;
    std::string y4m;  // "-" = standard input
    std::string like, keepSound, paletteFrom;
    std::optional<int> quality;
    std::optional<enc::PaletteMode> palette;
    std::optional<enc::Dither> dither;
    std::optional<std::array<bool, 256>> fixedEntries;
    uint64_t maxRate = 0;

    // Whether anything beyond the first indexed-PNG encoder's switches is asked for.
    bool AuthoringSwitches() const {
        return quality || palette || dither || fixedEntries || maxRate || !paletteFrom.empty();
    }
};

// Returns false on bad arguments, with one line in `error` that names the argument and the
// problem.
bool ParseEncodeArguments(int argc, char** argv, EncodeOptions& options, std::string& error);

// Frames per second ("15", "29.97", "30000/1001") to the header's frame rate field: the nearest
// whole number of 10-microsecond ticks per frame, negated. False when it is no such rate or
// outside what the field holds.
bool ParseFrameRate(const std::string& text, int32_t& field);

// "0-9,246-255" -> those entries set.
bool ParseEntryList(const std::string& text, std::array<bool, 256>& entries);

}  // namespace tavik::tools
