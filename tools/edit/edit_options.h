// tavik-edit's command line.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik::tools {

extern const char kEditUsage[];

struct SoundFile {
    int track = 0;
    std::string path;
};

struct EditArguments {
    bool help = false, listFonts = false, quiet = false;
    std::string input, output;
    std::string subtitles, fontFile;
    double fontSize = 0;
    bool reserveColours = false;
    std::vector<SoundFile> sounds;
    std::array<std::optional<enc::AudioTrackFormat>, enc::kTrackCount> soundFormats;
    std::array<bool, enc::kTrackCount> drop{};
    uint64_t maxRate = 0;
};

// False on bad arguments, with a reason in `error` where there is more to say than the usage.
bool ParseEditArguments(int argc, char** argv, EditArguments& arguments, std::string& error);

}  // namespace tavik::tools
