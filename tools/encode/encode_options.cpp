#include "encode/encode_options.h"

#include <cstdlib>

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
    "  --rate N          frame rate field as stored: N > 0 milliseconds per frame,\n"
    "                    N < 0 -N tens of microseconds per frame, 0 as fast as possible\n"
    "                    (default 66, or the y4m stream's rate)\n"
    "  --fps N           N frames per second (the same as --rate -100000/N)\n"
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

bool ParseInt(const char* text, long long min, long long max, long long& value) {
    char* end = nullptr;
    value = std::strtoll(text, &end, 10);
    return end != text && *end == '\0' && value >= min && value <= max;
}

bool ParseAudio(const std::string& text, AudioSource& source) {
    long long track = 0;
    const size_t colon = text.find(':');
    if (colon == std::string::npos || !ParseInt(text.substr(0, colon).c_str(), 0, 6, track))
        return false;
    source.track = static_cast<int>(track);
    source.path = text.substr(colon + 1);
    const std::string plainSuffix = ":plain";
    if (source.path.size() > plainSuffix.size() &&
        source.path.compare(source.path.size() - plainSuffix.size(), plainSuffix.size(),
                            plainSuffix) == 0) {
        source.plain = true;
        source.path.resize(source.path.size() - plainSuffix.size());
    }
    return !source.path.empty();
}

}  // namespace

bool ParseEntryList(const std::string& text, std::array<bool, 256>& entries) {
    entries.fill(false);
    size_t at = 0;
    while (at <= text.size()) {
        size_t end = text.find(',', at);
        if (end == std::string::npos) end = text.size();
        const std::string item = text.substr(at, end - at);
        const size_t dash = item.find('-');
        long long first = 0, last = 0;
        if (!ParseInt(item.substr(0, dash).c_str(), 0, 255, first)) return false;
        last = first;
        if (dash != std::string::npos && !ParseInt(item.substr(dash + 1).c_str(), first, 255, last))
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
        const bool hasValue = i + 1 < argc;
        long long value = 0;
        auto text = [&](std::string& to) {
            if (!hasValue) return error = arg + " needs a value", false;
            to = argv[++i];
            return true;
        };
        std::string word;
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
            if (!hasValue || !ParseInt(argv[++i], -2147483647LL, 2147483647LL, value)) return false;
            options.frameRate = static_cast<int32_t>(value);
        } else if (arg == "--fps") {
            if (!hasValue || !ParseInt(argv[++i], 1, 100000, value)) return false;
            options.frameRate = static_cast<int32_t>(-100000 / value);
        } else if (arg == "--lead") {
            if (!hasValue || !ParseInt(argv[++i], 0, 60000, value)) return false;
            options.leadMs = static_cast<uint32_t>(value);
        } else if (arg == "--audio") {
            AudioSource source;
            if (!hasValue || !ParseAudio(argv[++i], source)) return false;
            options.audio.push_back(source);
        } else if (arg == "--y4m") {
            if (!text(options.y4m)) return false;
        } else if (arg == "--like") {
            if (!text(options.like)) return false;
        } else if (arg == "--keep-sound") {
            if (!text(options.keepSound)) return false;
        } else if (arg == "--palette-from") {
            if (!text(options.paletteFrom)) return false;
        } else if (arg == "--quality") {
            if (!hasValue || !ParseInt(argv[++i], 1, 100, value))
                return error = "--quality takes 1 to 100", false;
            options.quality = static_cast<int>(value);
        } else if (arg == "--max-rate") {
            if (!hasValue || !ParseInt(argv[++i], 1, 1LL << 40, value))
                return error = "--max-rate takes a number of bytes", false;
            options.maxRate = static_cast<uint64_t>(value);
        } else if (arg == "--palette") {
            if (!text(word)) return false;
            if (word == "global") {
                options.palette = enc::PaletteMode::kGlobal;
            } else if (word == "scenes") {
                options.palette = enc::PaletteMode::kScenes;
            } else if (word == "frames") {
                options.palette = enc::PaletteMode::kFrames;
            } else {
                return error = "--palette takes global, scenes or frames", false;
            }
        } else if (arg == "--dither") {
            if (!text(word)) return false;
            if (word == "none") {
                options.dither = enc::Dither::kNone;
            } else if (word == "ordered") {
                options.dither = enc::Dither::kOrdered;
            } else if (word == "diffusion") {
                options.dither = enc::Dither::kDiffusion;
            } else {
                return error = "--dither takes none, ordered or diffusion", false;
            }
        } else if (arg == "--fixed-entries") {
            std::array<bool, 256> entries{};
            if (!text(word) || !ParseEntryList(word, entries))
                return error = "--fixed-entries takes a list such as 0-9,246-255", false;
            options.fixedEntries = entries;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return false;
        } else {
            positional.push_back(arg);
        }
    }
    if (positional.empty()) return false;
    options.output = positional[0];
    options.frames.assign(positional.begin() + 1, positional.end());
    if (options.demo) return options.frames.empty() && options.audio.empty();
    if (options.fixedEntries && options.paletteFrom.empty())
        return error = "--fixed-entries needs --palette-from", false;
    if (!options.y4m.empty() && !options.frames.empty())
        return error = "give either --y4m or PNG frames, not both", false;
    return !options.frames.empty() || !options.y4m.empty();
}

}  // namespace tavik::tools
