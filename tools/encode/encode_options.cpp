#include "encode/encode_options.h"

#include <cmath>
#include <cstdlib>

#include "common/usage_error.h"

namespace tavik::tools {

const char kEncodeUsage[] =
    "usage: tavik-encode [options] OUT.tvk FRAME.png...\n"
    "       tavik-encode [options] --y4m FILE OUT.tvk\n"
    "       tavik-encode --demo OUT.tvk\n"
    "Makes a movie from PNG frames (any colour type; 8-bit indexed PNGs whose palettes the\n"
    "format stores exactly keep their indices and palettes) or a YUV4MPEG2 stream.\n"
    "With indexed PNGs only and none of the picture options below, every pixel and palette is\n"
    "kept as it is (each PNG palette is stored with 6 bits per component).\n"
    "options:\n"
    "  --fps F           F frames per second: 15, 12.5, 29.97 or 30000/1001. A movie stores\n"
    "                    the time of a frame in tens of microseconds, so F is kept as the\n"
    "                    nearest such time: 29.97 and 30000/1001 as 3337 (33.37 ms, 29.967\n"
    "                    frames per second), 15 as 6667\n"
    "  --rate N          the frame rate field as stored: N > 0 milliseconds per frame,\n"
    "                    N < 0 -N tens of microseconds per frame, 0 as fast as possible.\n"
    "                    Without --fps or --rate: the rate of the y4m stream or of --like,\n"
    "                    and for PNG frames 66 ms a frame (15.15 per second)\n"
    "  --ring            append a ring frame that leads from the last frame back to frame 0\n"
    "  --interlaced      mark the frames Y-interlaced\n"
    "  --doubled         mark the frames Y-doubled\n"
    "  --audio T:FILE.wav[:plain]\n"
    "                    sound track T (0-6) from a WAVE file, compressed unless :plain;\n"
    "                    each frame carries the sound of its own time\n"
    "  --lead MS         sound that frame 0 carries ahead of the pictures (default 1000)\n"
    "  --y4m FILE        read the frames from a YUV4MPEG2 stream ('-' = standard input):\n"
    "                    4:2:0, 4:2:2, 4:4:4 or mono, 8-bit, BT.601, limited range unless\n"
    "                    the header says XCOLORRANGE=FULL\n"
    "  --like MOVIE      take the frame rate, the interlaced and doubled flags, the ring frame\n"
    "                    and the sound tracks' formats from MOVIE\n"
    "  --keep-sound MOVIE\n"
    "                    copy every frame's sound chunks unchanged from MOVIE (which must have\n"
    "                    as many frames)\n"
    "picture options:\n"
    "  --quality Q       1 to 100 (default 80): each block is coded as skip, solid, two-colour\n"
    "                    or full by its cost in bits against the error it leaves; 100 codes\n"
    "                    every pixel of the palettised picture\n"
    "  --max-rate BYTES  no second of the movie (sound included), and not frame 0, is larger\n"
    "                    than BYTES; frames are coded more coarsely where needed, and standard\n"
    "                    error says which\n"
    "  --palette global|scenes|frames\n"
    "                    one palette for the movie, a new one where the colours change a lot\n"
    "                    (the default), or one per frame\n"
    "  --palette-from FILE\n"
    "                    use the palette of a movie's first frame or of an indexed PNG, fixed\n"
    "  --fixed-entries LIST\n"
    "                    with --palette-from: only these entries (e.g. 0-9,246-255) are taken\n"
    "                    from it unchanged; the others are made to suit the pictures\n"
    "  --dither none|ordered|diffusion\n"
    "                    default none, which keeps a still background exactly still\n"
    "  --quiet           no progress line (it is shown only when standard error is a terminal)\n"
    "  --help            this text\n";

namespace {

// Digits with at most one decimal point: "12", "29.97", ".5".
bool ParseDecimal(const std::string& text, double& value) {
    const size_t point = text.find('.');
    const bool digits =
        text.find_first_not_of("0123456789.") == std::string::npos &&
        text.find_first_of("0123456789") != std::string::npos &&
        (point == std::string::npos || text.find('.', point + 1) == std::string::npos);
    if (!digits) return false;
    value = std::strtod(text.c_str(), nullptr);
    return true;
}

bool ParseAudio(const std::string& text, AudioSource& source, std::string& error) {
    const std::string form = "--audio " + text + ": ";
    long long track = 0;
    const size_t colon = text.find(':');
    if (colon == std::string::npos)
        return error = form + "takes T:FILE.wav[:plain], T the track from 0 to 6", false;
    if (!ParseWholeNumber(text.substr(0, colon), 0, 6, track))
        return error = form + "the track is a number from 0 to 6", false;
    source.track = static_cast<int>(track);
    source.path = text.substr(colon + 1);
    const std::string plainSuffix = ":plain";
    if (source.path.size() > plainSuffix.size() &&
        source.path.compare(source.path.size() - plainSuffix.size(), plainSuffix.size(),
                            plainSuffix) == 0) {
        source.plain = true;
        source.path.resize(source.path.size() - plainSuffix.size());
    }
    if (source.path.empty()) return error = form + "no file is named", false;
    return true;
}

}  // namespace

bool ParseFrameRate(const std::string& text, int32_t& field) {
    const size_t slash = text.find('/');
    double frames = 0, seconds = 1;
    if (!ParseDecimal(text.substr(0, slash), frames) ||
        (slash != std::string::npos && !ParseDecimal(text.substr(slash + 1), seconds)))
        return false;
    if (!(frames > 0 && seconds > 0)) return false;
    const double ticks = std::round(100000.0 * seconds / frames);
    if (!(ticks >= 1 && ticks <= 2147483647.0)) return false;
    field = -static_cast<int32_t>(ticks);
    return true;
}

bool ParseEntryList(const std::string& text, std::array<bool, 256>& entries) {
    entries.fill(false);
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const size_t dash = item.find('-');
        long long first = 0, last = 0;
        if (!ParseWholeNumber(item.substr(0, dash), 0, 255, first)) return false;
        last = first;
        if (dash != std::string::npos && !ParseWholeNumber(item.substr(dash + 1), first, 255, last))
            return false;
        for (long long i = first; i <= last; ++i) entries[static_cast<size_t>(i)] = true;
        at = end + 1;
    }
    return true;
}

bool ParseEncodeArguments(int argc, char** argv, EncodeOptions& options, std::string& error) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        std::string value;
        // The option's value, or false with the reason when it has none.
        auto take = [&]() {
            if (i + 1 >= argc) return error = arg + ": needs a value", false;
            value = argv[++i];
            return true;
        };
        auto bad = [&](const std::string& why) {
            return error = arg + " " + value + ": " + why, false;
        };
        long long number = 0;
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--help" || arg == "-h") {
            options.help = true;
            return true;
        } else if (arg == "--quiet") {
            options.quiet = true;
        } else if (arg == "--ring") {
            options.ring = true;
        } else if (arg == "--interlaced") {
            options.interlaced = true;
        } else if (arg == "--doubled") {
            options.doubled = true;
        } else if (arg == "--rate") {
            if (!take()) return false;
            if (!ParseWholeNumber(value, -2147483647LL, 2147483647LL, number))
                return bad("takes the frame rate field, a whole number such as 66 or -6667");
            options.frameRate = static_cast<int32_t>(number);
        } else if (arg == "--fps") {
            int32_t field = 0;
            if (!take()) return false;
            if (!ParseFrameRate(value, field))
                return bad(
                    "takes frames per second such as 15, 12.5, 29.97 or 30000/1001 (more "
                    "than 0, at most 100000)");
            options.frameRate = field;
        } else if (arg == "--lead") {
            if (!take()) return false;
            if (!ParseWholeNumber(value, 0, 60000, number))
                return bad("takes milliseconds from 0 to 60000");
            options.leadMs = static_cast<uint32_t>(number);
        } else if (arg == "--audio") {
            AudioSource source;
            if (!take() || !ParseAudio(value, source, error)) return false;
            options.audio.push_back(source);
        } else if (arg == "--y4m") {
            if (!take()) return false;
            options.y4m = value;
        } else if (arg == "--like") {
            if (!take()) return false;
            options.like = value;
        } else if (arg == "--keep-sound") {
            if (!take()) return false;
            options.keepSound = value;
        } else if (arg == "--palette-from") {
            if (!take()) return false;
            options.paletteFrom = value;
        } else if (arg == "--quality") {
            if (!take()) return false;
            if (!ParseWholeNumber(value, 1, 100, number))
                return bad("takes a number from 1 to 100");
            options.quality = static_cast<int>(number);
        } else if (arg == "--max-rate") {
            if (!take()) return false;
            if (!ParseWholeNumber(value, 1, 1LL << 40, number))
                return bad("takes a number of bytes per second");
            options.maxRate = static_cast<uint64_t>(number);
        } else if (arg == "--palette") {
            if (!take()) return false;
            if (value == "global") {
                options.palette = enc::PaletteMode::kGlobal;
            } else if (value == "scenes") {
                options.palette = enc::PaletteMode::kScenes;
            } else if (value == "frames") {
                options.palette = enc::PaletteMode::kFrames;
            } else {
                return bad("takes global, scenes or frames");
            }
        } else if (arg == "--dither") {
            if (!take()) return false;
            if (value == "none") {
                options.dither = enc::Dither::kNone;
            } else if (value == "ordered") {
                options.dither = enc::Dither::kOrdered;
            } else if (value == "diffusion") {
                options.dither = enc::Dither::kDiffusion;
            } else {
                return bad("takes none, ordered or diffusion");
            }
        } else if (arg == "--fixed-entries") {
            std::array<bool, 256> entries{};
            if (!take()) return false;
            if (!ParseEntryList(value, entries))
                return bad("takes a list of entries such as 0-9,246-255");
            options.fixedEntries = entries;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return error = arg + ": unknown option", false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty()) return error = "no output movie is named", false;
    options.output = positional[0];
    options.frames.assign(positional.begin() + 1, positional.end());
    if (options.demo) {
        if (!options.frames.empty()) return error = "--demo takes no pictures", false;
        if (!options.audio.empty()) return error = "--demo takes no --audio", false;
        return true;
    }
    if (options.fixedEntries && options.paletteFrom.empty())
        return error = "--fixed-entries needs --palette-from", false;
    if (!options.y4m.empty() && !options.frames.empty())
        return error = "give either --y4m or PNG frames, not both", false;
    if (options.frames.empty() && options.y4m.empty())
        return error =
                   "no pictures are given (PNG files after " + options.output + ", or --y4m FILE)",
               false;
    return true;
}

}  // namespace tavik::tools
