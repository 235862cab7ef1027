// Authoring from pictures: truecolour or indexed source frames become palettised frames (the
// palettes made by the quantiser, or taken from the sources or a given palette), optionally
// simplified block by block under a quality setting and a data-rate cap, then coded as a movie.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::enc {

// One source picture: width * height RGB triples, top-down. An indexed source also carries its
// indices and palette.
struct SourceFrame {
    std::vector<uint8_t> rgb;
    std::vector<uint8_t> indices;    // empty for a truecolour source
    std::optional<Palette> palette;  // set for an indexed source
};

enum class PaletteMode { kGlobal, kScenes, kFrames };
enum class Dither { kNone, kOrdered, kDiffusion };
enum class AuthorStep { kPalettes, kMapping, kCoding };

constexpr int kLosslessQuality = 100;
constexpr int kDefaultQuality = 80;

struct AuthorOptions {
    int quality = kDefaultQuality;  // 1 to 100; 100 codes every pixel of the palettised picture
    // Unset: indexed sources whose palettes the format stores exactly keep their indices and
    // palettes (truecolour frames among them take the nearest such frame's palette), and
    // otherwise the palettes are made per scene. Set: the palettes are made in that mode.
    std::optional<PaletteMode> paletteMode;
    Dither dither = Dither::kNone;
    // A given palette: used unchanged, or only its `fixedEntries` when any are set (the other
    // entries are made by the quantiser).
    std::optional<Palette> givenPalette;
    std::array<bool, 256> fixedEntries{};
    uint64_t maxRate = 0;  // bytes per second of frames; 0 = no cap
    // Called as the work goes on: `done` of `total` scenes or frames of a step; the coding
    // counts its passes from 1.
    std::function<void(AuthorStep step, size_t done, size_t total, int pass)> progress;
};

struct AuthorReport {
    // One line per run of frames that the rate cap made coarser.
    std::vector<std::string> squeezed;
    int passes = 0;
};

// `plan` carries everything but the pictures (size, rate, flags, tracks, sound); its frames
// vector has one entry per source, whose pixels and palette are filled in here. Returns false
// with a reason in `error`.
bool AuthorMovie(MovieSpec& plan, const std::vector<SourceFrame>& sources,
                 const AuthorOptions& options, std::vector<uint8_t>& movie, AuthorReport& report,
                 std::string& error);

// True when this build can make palettes (libimagequant is linked in).
bool QuantiserAvailable();

// Whether every component of the palette survives the format's 6-bit store unchanged.
bool PaletteFitsFormat(const Palette& palette);

// The frame sizes of a coded movie (from its frame size table), ring frame included.
std::vector<uint32_t> FrameSizesOf(const std::vector<uint8_t>& movie);

}  // namespace tavik::enc
