// tavik-encode: makes a movie from indexed PNG frames and WAVE sound, or writes the built-in demo.
#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "encoder/encoder.h"

#ifdef TAVIK_HAVE_PNG
#include <png.h>

#include <csetjmp>
#endif
#ifdef TAVIK_HAVE_SNDFILE
#include <sndfile.h>
#endif

namespace {

using tavik::enc::AudioTrackFormat;
using tavik::enc::MovieSpec;

constexpr const char kUsage[] =
    "usage: tavik-encode [options] OUT.tvk FRAME.png...\n"
    "       tavik-encode --demo OUT.tvk\n"
    "Makes a movie from 8-bit indexed PNG frames (each frame's PNG palette is its palette).\n"
    "options:\n"
    "  --rate N          frame rate field as stored: N > 0 milliseconds per frame,\n"
    "                    N < 0 -N tens of microseconds per frame, 0 as fast as possible\n"
    "                    (default 66)\n"
    "  --fps N           N frames per second (the same as --rate -100000/N)\n"
    "  --ring            append a ring frame that leads from the last frame back to frame 0\n"
    "  --interlaced      mark the frames Y-interlaced\n"
    "  --doubled         mark the frames Y-doubled\n"
    "  --audio T:FILE.wav[:plain]\n"
    "                    sound track T (0-6) from a WAVE file, compressed unless :plain;\n"
    "                    each frame carries the sound of its own time\n"
    "  --lead MS         sound that frame 0 carries ahead of the pictures (default 1000)\n";

struct AudioSource {
    int track = 0;
    std::string path;
    bool plain = false;
};

struct Options {
    bool demo = false;
    int32_t frameRate = 66;
    bool ring = false, interlaced = false, doubled = false;
    uint32_t leadMs = 1000;
    std::vector<AudioSource> audio;
    std::string output;
    std::vector<std::string> frames;
};

bool ParseInt(const char* text, long min, long max, long& value) {
    char* end = nullptr;
    value = std::strtol(text, &end, 10);
    return end != text && *end == '\0' && value >= min && value <= max;
}

bool ParseAudio(const std::string& text, AudioSource& source) {
    long track = 0;
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

// Returns false on bad arguments.
bool ParseArguments(int argc, char** argv, Options& options) {
    std::vector<std::string> positional;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        long value = 0;
        if (arg == "--demo") {
            options.demo = true;
        } else if (arg == "--ring") {
            options.ring = true;
        } else if (arg == "--interlaced") {
            options.interlaced = true;
        } else if (arg == "--doubled") {
            options.doubled = true;
        } else if (arg == "--rate") {
            if (!hasValue || !ParseInt(argv[++i], -2147483647L, 2147483647L, value)) return false;
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
    return !options.frames.empty();
}

#ifdef TAVIK_HAVE_PNG

struct PngErrorText {
    char text[200] = "";
};

void PngError(png_structp png, png_const_charp message) {
    auto* error = static_cast<PngErrorText*>(png_get_error_ptr(png));
    std::snprintf(error->text, sizeof error->text, "%s", message);
    png_longjmp(png, 1);
}

void PngWarning(png_structp, png_const_charp) {}

// The two steps that libpng may leave by a long jump hold no objects with destructors.
bool ReadPngHeader(png_structp png, png_infop info, png_uint_32* width, png_uint_32* height,
                   int* colourType) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_info(png, info);
    int depth = 0;
    png_get_IHDR(png, info, width, height, &depth, colourType, nullptr, nullptr, nullptr);
    if (*colourType == PNG_COLOR_TYPE_PALETTE && depth < 8) png_set_packing(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPngRows(png_structp png, png_infop info, png_bytep* rows) {
    if (setjmp(png_jmpbuf(png))) return false;
    png_read_image(png, rows);
    png_read_end(png, info);
    return true;
}

struct PngReader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~PngReader() { png_destroy_read_struct(&png, info ? &info : nullptr, nullptr); }
};

struct FileCloser {
    void operator()(FILE* file) const { std::fclose(file); }
};

// Reads one frame; `width` and `height` are 0 for the first frame, else what it must match.
bool ReadFrame(const std::string& path, uint32_t& width, uint32_t& height, tavik::enc::Frame& frame,
               std::string& error) {
    auto fail = [&](const std::string& why) {
        error = path + ": " + why;
        return false;
    };
    std::unique_ptr<FILE, FileCloser> file(std::fopen(path.c_str(), "rb"));
    if (!file) return fail(std::string("cannot open: ") + std::strerror(errno));
    PngErrorText pngError;
    PngReader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &pngError, PngError, PngWarning);
    if (reader.png) reader.info = png_create_info_struct(reader.png);
    if (!reader.info) return fail("out of memory");
    png_init_io(reader.png, file.get());
    png_uint_32 w = 0, h = 0;
    int colourType = 0;
    if (!ReadPngHeader(reader.png, reader.info, &w, &h, &colourType))
        return fail(std::string("not a readable PNG (") + pngError.text + ")");
    if (colourType != PNG_COLOR_TYPE_PALETTE) return fail("not an indexed (palette) PNG");
    if (width == 0) {
        width = w;
        height = h;
    } else if (w != width || h != height) {
        return fail(std::to_string(w) + "x" + std::to_string(h) +
                    " differs from the first frame's " + std::to_string(width) + "x" +
                    std::to_string(height));
    }
    if (uint64_t{w} * h > (1u << 26)) return fail("the picture is too large");
    frame.pixels.resize(size_t{w} * h);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y) rows[y] = frame.pixels.data() + size_t{y} * w;
    if (!ReadPngRows(reader.png, reader.info, rows.data()))
        return fail(std::string("broken PNG (") + pngError.text + ")");
    png_colorp colours = nullptr;
    int count = 0;
    if (png_get_PLTE(reader.png, reader.info, &colours, &count) != PNG_INFO_PLTE)
        return fail("the PNG has no palette");
    tavik::enc::Palette palette{};
    for (int i = 0; i < count && i < 256; ++i) {
        palette[3 * i] = colours[i].red;
        palette[3 * i + 1] = colours[i].green;
        palette[3 * i + 2] = colours[i].blue;
    }
    frame.palette = palette;
    return true;
}

#else

bool ReadFrame(const std::string& path, uint32_t&, uint32_t&, tavik::enc::Frame&,
               std::string& error) {
    error = path + ": this tavik-encode was built without PNG support";
    return false;
}

#endif

struct Sound {
    AudioTrackFormat format;
    std::vector<uint8_t> pcm;  // WAVE layout
};

#ifdef TAVIK_HAVE_SNDFILE

// 8-bit sources stay 8-bit; everything else becomes 16-bit.
bool ReadSound(const AudioSource& source, Sound& sound, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = source.path + ": " + why;
        return false;
    };
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(source.path.c_str(), SFM_READ, &info),
                                                     sf_close);
    if (!file) return fail(sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        return fail("only mono and stereo sound can be stored");
    if (info.samplerate < 1 || info.samplerate > 0xFFFFFF) return fail("unsupported sample rate");
    if (info.frames > (1 << 28) / info.channels) return fail("too long");
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    sound.format.rate = static_cast<uint32_t>(info.samplerate);
    sound.format.stereo = info.channels == 2;
    sound.format.is16Bit = subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_S8;
    sound.format.compressed = !source.plain;
    std::vector<short> samples(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_short(file.get(), samples.data(), info.frames);
    if (got != info.frames) return fail("read error");
    for (short s : samples) {
        const auto value = static_cast<uint16_t>(s);
        if (sound.format.is16Bit) {
            sound.pcm.push_back(static_cast<uint8_t>(value));
            sound.pcm.push_back(static_cast<uint8_t>(value >> 8));
        } else {
            sound.pcm.push_back(static_cast<uint8_t>((value >> 8) ^ 0x80));
        }
    }
    return true;
}

#else

bool ReadSound(const AudioSource& source, Sound&, std::string& error) {
    error = source.path + ": this tavik-encode was built without sound file support";
    return false;
}

#endif

// Each frame carries the sound of its own time; frame 0 also carries `lead` ahead. Frames that
// start beyond the end of the sound carry no chunk.
void SpreadSound(MovieSpec& plan, int track, const Sound& sound, uint32_t leadMs) {
    const uint64_t ticks =
        plan.frameRate > 0 ? uint64_t(plan.frameRate) * 100 : uint64_t(-int64_t{plan.frameRate});
    const uint32_t frameBytes = (sound.format.stereo ? 2 : 1) * (sound.format.is16Bit ? 2 : 1);
    const uint64_t total = sound.pcm.size() / frameBytes;
    const uint64_t lead = uint64_t{sound.format.rate} * leadMs / 1000;
    auto due = [&](uint64_t frame) { return frame * sound.format.rate * ticks / 100000 + lead; };
    plan.tracks[track] = sound.format;
    for (uint64_t i = 0; i < plan.frames.size(); ++i) {
        const uint64_t begin = i == 0 ? 0 : due(i);
        const uint64_t end = std::min(due(i + 1), total);
        if (begin >= total) break;
        plan.frames[i].audio[track] = std::vector<uint8_t>(sound.pcm.begin() + begin * frameBytes,
                                                           sound.pcm.begin() + end * frameBytes);
    }
}

bool BuildSpec(const Options& options, MovieSpec& plan, std::string& error) {
    if (options.demo) {
        plan = tavik::enc::MakeDemoMovie();
        return true;
    }
    plan.frameRate = options.frameRate;
    plan.ringFrame = options.ring;
    plan.interlaced = options.interlaced;
    plan.doubled = options.doubled;
    for (const std::string& path : options.frames) {
        plan.frames.emplace_back();
        if (!ReadFrame(path, plan.width, plan.height, plan.frames.back(), error)) return false;
    }
    if (!options.audio.empty() && plan.frameRate == 0) {
        error = "--audio needs a frame rate (with --rate 0 the frames have no timing)";
        return false;
    }
    for (const AudioSource& source : options.audio) {
        if (plan.tracks[source.track]) {
            error = "track " + std::to_string(source.track) + " is given twice";
            return false;
        }
        Sound sound;
        if (!ReadSound(source, sound, error)) return false;
        SpreadSound(plan, source.track, sound, options.leadMs);
    }
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc == 2 && std::strcmp(argv[1], "--help") == 0) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    Options options;
    if (!ParseArguments(argc, argv, options)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    MovieSpec plan;
    std::vector<uint8_t> movie;
    std::string error;
    if (BuildSpec(options, plan, error) && tavik::enc::EncodeMovie(plan, {}, movie, error)) {
        if (tavik::enc::WriteFile(options.output, movie)) return 0;
        error = options.output + ": cannot write";
    }
    std::fprintf(stderr, "tavik-encode: %s\n", error.c_str());
    return 1;
}
