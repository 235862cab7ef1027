#include "edit/edit_options.h"

#include <cstdlib>
#include <cstring>

#include "common/usage_error.h"
#include "format/limits.h"

namespace tavik::tools {

const char kEditUsage[] =
    "usage: tavik-edit IN.tvk OUT.tvk [options]\n"
    "       tavik-edit --list-fonts\n"
    "Writes a movie that differs from IN only where the options say: subtitles drawn into the\n"
    "frames, sound tracks replaced or dropped. Every pixel the text leaves alone decodes as in\n"
    "IN; the ring frame, the flags, the frame rate and the tracks not named are kept.\n"
    "options:\n"
    "  --subtitles FILE  draw the cues of a SubRip (.srt) or an .ass/.ssa file at their times;\n"
    "                    SubRip cues are white with a black outline, bottom centre, in the\n"
    "                    palette's nearest colours\n"
    "  --font FILE       the font for every cue (default: the system's sans-serif font; an\n"
    "                    .ass file's styles name their own, which must be installed)\n"
    "  --font-size N     text height in pixels of the shown picture (default: 6.5% of it;\n"
    "                    an .ass script's sizes are in its own units)\n"
    "  --reserve-colours draw the text in its own colours, in palette entries that no frame\n"
    "                    uses (where there are such entries)\n"
    "  --sound T:FILE.wav\n"
    "                    replace track T's sound (0-6) with a WAVE file, converted to the\n"
    "                    track's format and spread over the frames as the old sound was; a\n"
    "                    track the movie lacks is added, a second ahead of the pictures\n"
    "  --sound-format T:RATE:mono|stereo:8|16[:plain]\n"
    "                    the new format of track T (default: the track's own, or the file's;\n"
    "                    compressed unless :plain)\n"
    "  --drop-sound T    remove track T\n"
    "  --max-rate BYTES  no second of OUT (sound included), and not frame 0, is larger than\n"
    "                    BYTES (default: 110% of IN's highest second, the peak its player was\n"
    "                    made for). Text is drawn more coarsely where needed; standard error\n"
    "                    says so, and says when the limit cannot be kept\n"
    "  --list-fonts      the font families installed, one a line\n"
    "  --quiet           no progress line (it is shown only when standard error is a terminal)\n"
    "  --help            this text\n"
    "OUT is written as OUT.partial and renamed at the end; a failure leaves no OUT behind.\n";

namespace {

bool ParseTrack(const std::string& text, int& track) {
    long long value = 0;
    if (!ParseWholeNumber(text, 0, enc::kTrackCount - 1, value)) return false;
    track = static_cast<int>(value);
    return true;
}

std::vector<std::string> Split(const std::string& text) {
    std::vector<std::string> parts;
    size_t at = 0;
    for (;;) {
        const size_t colon = text.find(':', at);
        parts.push_back(text.substr(at, colon - at));
        if (colon == std::string::npos) return parts;
        at = colon + 1;
    }
}

// "T:RATE:mono|stereo:8|16[:plain]"
bool ParseFormat(const std::string& text, int& track, enc::AudioTrackFormat& format) {
    const std::vector<std::string> parts = Split(text);
    long long rate = 0;
    if (parts.size() < 4 || parts.size() > 5 || !ParseTrack(parts[0], track) ||
        !ParseWholeNumber(parts[1], 1, FormatLimits::kMaxSampleRate, rate) ||
        (parts[2] != "mono" && parts[2] != "stereo") || (parts[3] != "8" && parts[3] != "16") ||
        (parts.size() == 5 && parts[4] != "plain"))
        return false;
    format.rate = static_cast<uint32_t>(rate);
    format.stereo = parts[2] == "stereo";
    format.is16Bit = parts[3] == "16";
    format.compressed = parts.size() == 4;
    return true;
}

}  // namespace

bool ParseEditArguments(int argc, char** argv, EditArguments& arguments, std::string& error) {
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= argc) {
                error = arg + " needs a value";
                return false;
            }
            out = argv[++i];
            return true;
        };
        std::string text;
        long long number = 0;
        if (arg == "--help" || arg == "-h") {
            arguments.help = true;
        } else if (arg == "--list-fonts") {
            arguments.listFonts = true;
        } else if (arg == "--quiet") {
            arguments.quiet = true;
        } else if (arg == "--reserve-colours") {
            arguments.reserveColours = true;
        } else if (arg == "--subtitles") {
            if (!value(arguments.subtitles)) return false;
        } else if (arg == "--font") {
            if (!value(arguments.fontFile)) return false;
        } else if (arg == "--font-size") {
            if (!value(text)) return false;
            if (!ParseWholeNumber(text, 1, 1000, number)) {
                error = "--font-size: a size in pixels, 1 to 1000";
                return false;
            }
            arguments.fontSize = static_cast<double>(number);
        } else if (arg == "--sound") {
            if (!value(text)) return false;
            SoundFile sound;
            const size_t colon = text.find(':');
            if (colon == std::string::npos || !ParseTrack(text.substr(0, colon), sound.track) ||
                colon + 1 == text.size()) {
                error = "--sound " + text + ": expected T:FILE.wav with T from 0 to 6";
                return false;
            }
            sound.path = text.substr(colon + 1);
            arguments.sounds.push_back(sound);
        } else if (arg == "--sound-format") {
            if (!value(text)) return false;
            int track = 0;
            enc::AudioTrackFormat format;
            if (!ParseFormat(text, track, format)) {
                error = "--sound-format " + text +
                        ": expected T:RATE:mono|stereo:8|16[:plain], e.g. 0:22050:mono:8";
                return false;
            }
            arguments.soundFormats[track] = format;
        } else if (arg == "--drop-sound") {
            if (!value(text)) return false;
            int track = 0;
            if (!ParseTrack(text, track)) {
                error = "--drop-sound " + text + ": tracks are numbered 0 to 6";
                return false;
            }
            arguments.drop[track] = true;
        } else if (arg == "--max-rate") {
            if (!value(text)) return false;
            if (!ParseWholeNumber(text, 1, 1ll << 40, number)) {
                error = "--max-rate: a number of bytes";
                return false;
            }
            arguments.maxRate = static_cast<uint64_t>(number);
        } else if (arg.size() > 1 && arg[0] == '-') {
            error = "unknown option " + arg;
            return false;
        } else {
            names.push_back(arg);
        }
    }
    if (arguments.help || arguments.listFonts) return true;
    if (names.size() != 2) {
        error = names.size() < 2 ? "IN.tvk and OUT.tvk are needed" : "too many names: " + names[2];
        return false;
    }
    arguments.input = names[0];
    arguments.output = names[1];
    for (int t = 0; t < enc::kTrackCount; ++t) {
        bool replaced = false;
        for (const SoundFile& sound : arguments.sounds) replaced = replaced || sound.track == t;
        if (arguments.soundFormats[t] && !replaced) {
            error = "--sound-format " + std::to_string(t) + ":...: track " + std::to_string(t) +
                    " gets no new sound";
            return false;
        }
    }
    if (arguments.subtitles.empty() &&
        (!arguments.fontFile.empty() || arguments.fontSize > 0 || arguments.reserveColours)) {
        error = "--font, --font-size and --reserve-colours need --subtitles";
        return false;
    }
    return true;
}

}  // namespace tavik::tools
