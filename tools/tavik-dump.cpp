// tavik-dump: plays frames of a movie through the engine, without waiting, and writes each
// picture (and each sound track's chunks) to files.
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#endif

#include "audio/audio_decoder.h"
#include "audio/wav_writer.h"
#include "common/file_problem.h"
#include "common/image_writer.h"
#include "common/usage_error.h"
#include "common/y4m_writer.h"
#include "tavik/tavik.h"

namespace {

const char kUsage[] =
    "usage: tavik-dump MOVIE --out DIR [--count N] [--format ppm|png|rgb-png]\n"
    "       tavik-dump MOVIE --y4m FILE [--y4m-420] [--out DIR] [--count N]\n"
    "Decodes N frames (default: the movie's frame count) in play order and writes\n"
    "DIR/frame_00000.ppm ... and DIR/track_T.wav for each present sound track.\n"
    "  --format ppm      truecolour binary PPM (the default)\n"
    "  --format png      8-bit indexed PNG with the frame's palette, which tavik-encode takes\n"
    "                    back exactly (see tavik-encode --like, --keep-sound)\n"
    "  --format rgb-png  truecolour PNG\n"
    "  --y4m FILE        every frame into one YUV4MPEG2 stream instead ('-' = standard\n"
    "                    output), 4:4:4 BT.601 limited range at the movie's frame rate;\n"
    "                    with --out the sound still goes to DIR/track_T.wav\n"
    "  --y4m-420         the stream in 4:2:0 (C420jpeg) instead\n";

struct Options {
    std::string movie, out, format = "ppm", y4m;
    bool y4m420 = false;
    long long count = -1;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "tavik-dump: %s\n", message.c_str());
    return 1;
}

bool ParseArguments(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        std::string v;
        auto value = [&](std::string& to) {
            if (i + 1 >= argc) return error = a + ": needs a value", false;
            to = argv[++i];
            return true;
        };
        if (a == "--out") {
            if (!value(o.out)) return false;
        } else if (a == "--count") {
            if (!value(v)) return false;
            char* end = nullptr;
            o.count = std::strtoll(v.c_str(), &end, 10);
            if (v.empty() || *end || o.count < 0)
                return error = "--count " + v + ": takes a number of frames", false;
        } else if (a == "--format") {
            if (!value(o.format)) return false;
            if (o.format != "ppm" && o.format != "png" && o.format != "rgb-png")
                return error = "--format " + o.format + ": takes ppm, png or rgb-png", false;
        } else if (a == "--y4m") {
            if (!value(o.y4m)) return false;
        } else if (a == "--y4m-420") {
            o.y4m420 = true;
        } else if (a == "--help" || a == "-h") {
            return error = "", false;
        } else if (a.size() > 1 && a[0] == '-') {
            return error = a + ": unknown option", false;
        } else if (o.movie.empty()) {
            o.movie = a;
        } else {
            return error = a + ": one movie at a time", false;
        }
    }
    if (o.movie.empty()) return error = "no movie is named", false;
    if (o.out.empty() && o.y4m.empty()) return error = "--out DIR or --y4m FILE is needed", false;
    if (o.y4m420 && o.y4m.empty()) return error = "--y4m-420 needs --y4m", false;
    return true;
}

struct StreamCloser {
    void operator()(std::FILE* f) const {
        if (f != stdout) std::fclose(f);
    }
};

struct MovieCloser {
    void operator()(TavikMovie* m) const { TavikClose(m); }
};

// One sound track's output: the chunks of the dumped frames, decoded.
struct TrackDump {
    int track = 0;
    bool compressed = false;
    std::unique_ptr<tavik::WavWriter> wav;
};

void AppendChunk(TrackDump& t, const uint8_t* chunk, std::vector<uint8_t>& scratch,
                 std::vector<uint8_t>& trees) {
    uint32_t length = 0;
    std::memcpy(&length, chunk, 4);
    if (!t.compressed) {
        t.wav->Append(chunk + 4, length - 4);
        return;
    }
    uint32_t unpacked = 0;
    std::memcpy(&unpacked, chunk + 4, 4);
    if (unpacked == 0) return;
    // Announced bytes the stream does not deliver stay silent.
    const bool is16 = (chunk[8] >> 2) & 1;
    scratch.assign(unpacked, is16 ? 0x00 : 0x80);
    tavik::DecodeAudio(chunk + 8, length - 8, unpacked, trees.data(), scratch.data(),
                       scratch.data() + unpacked, scratch.data());
    t.wav->Append(scratch.data(), unpacked);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    std::string error;
    if (argc < 2) {
        std::fputs(kUsage, stderr);
        return tavik::tools::kUsageStatus;
    }
    if (!ParseArguments(argc, argv, o, error)) {
        if (!error.empty()) return tavik::tools::UsageError("tavik-dump", error);
        std::fputs(kUsage, stdout);
        return 0;
    }
    const bool frameFiles = o.y4m.empty();
    if (frameFiles && o.format != "ppm" && !tavik::tools::PngAvailable())
        return Fail("PNG output is not available in this build");
    if (!o.out.empty()) {
        std::error_code folderError;
        std::filesystem::create_directory(o.out, folderError);
        if (folderError)
            return Fail(o.out + ": cannot make the folder: " +
                        tavik::tools::WhyNotWritten(o.out, folderError.value()));
    }

    std::unique_ptr<TavikMovie, MovieCloser> movie(
        TavikOpen(o.movie.c_str(), 0, TAVIK_CHOOSE_RING_SIZE));
    if (!movie)
        return Fail(o.movie + ": cannot open the movie (missing, or not a valid Tavik movie)");
    TavikMovie* m = movie.get();
    const uint32_t width = m->Header.Width, height = m->Header.Height;
    std::vector<uint8_t> picture(size_t{width} * height, 0);
    TavikSetDest(m, 0, 0, static_cast<int32_t>(width), height, picture.data(), 0);
    if (!m->Dest) return Fail("out of memory");

    std::unique_ptr<std::FILE, StreamCloser> stream;
    std::unique_ptr<tavik::tools::Y4mWriter> y4m;
    if (!o.y4m.empty()) {
        if (o.y4m == "-") {
#ifdef _WIN32
            _setmode(_fileno(stdout), _O_BINARY);
#endif
            stream.reset(stdout);
        } else {
            stream.reset(std::fopen(o.y4m.c_str(), "wb"));
            if (!stream)
                return Fail(o.y4m + ": cannot write: " + tavik::tools::WhyNotWritten(o.y4m, errno));
        }
        const int32_t rate = m->Header.FrameRate;
        const uint32_t ticks = rate > 0 ? static_cast<uint32_t>(rate) * 100
                                        : static_cast<uint32_t>(-static_cast<int64_t>(rate));
        uint32_t numerator = 0, denominator = 0;
        tavik::tools::FrameRateFraction(ticks, numerator, denominator);
        y4m = std::make_unique<tavik::tools::Y4mWriter>(stream.get(), width, height, numerator,
                                                        denominator, o.y4m420);
    }

    std::vector<TrackDump> tracks;
    for (int t = 0; t < TAVIK_MAX_TRACKS && !o.out.empty(); ++t) {
        const uint32_t format = m->Header.AudioFormat[t];
        const uint32_t rate = format & TAVIK_AUDIO_RATE_MASK;
        if (!(format & TAVIK_AUDIO_PRESENT) || rate == 0) continue;
        TrackDump d;
        d.track = t;
        d.compressed = format & TAVIK_AUDIO_COMPRESSED;
        d.wav = std::make_unique<tavik::WavWriter>();
        const std::string path = o.out + "/track_" + std::to_string(t) + ".wav";
        if (!d.wav->Open(path.c_str(), (format & TAVIK_AUDIO_STEREO) ? 2 : 1, rate,
                         (format & TAVIK_AUDIO_16BIT) ? 16 : 8))
            return Fail("cannot create " + path);
        tracks.push_back(std::move(d));
    }

    std::vector<uint8_t> scratch, trees(tavik::kAudioTreeAreaSize);
    const long long count = o.count >= 0 ? o.count : m->Header.FrameCount;
    for (long long i = 0; i < count; ++i) {
        if (m->ReadError)
            return Fail(o.movie + ": the file ends before frame " + std::to_string(m->FrameNum));
        TavikDecodeFrame(m);
        for (TrackDump& t : tracks)
            if (const uint8_t* chunk = m->AudioChunks[t.track])
                AppendChunk(t, chunk, scratch, trees);
        if (y4m) {
            const auto rgb = tavik::tools::ToRgb(picture.data(), picture.size(), m->Palette);
            if (!y4m->Write(rgb.data())) return Fail("cannot write " + o.y4m);
        } else {
            char name[40];
            const char* extension = o.format == "ppm" ? "ppm" : "png";
            std::snprintf(name, sizeof name, "/frame_%05lld.%s", i, extension);
            bool written = false;
            if (o.format == "png") {
                written = tavik::tools::WriteIndexedPng(o.out + name, width, height, picture.data(),
                                                        m->Palette, error);
            } else {
                const auto rgb = tavik::tools::ToRgb(picture.data(), picture.size(), m->Palette);
                written = o.format == "rgb-png"
                              ? tavik::tools::WritePng(o.out + name, width, height, rgb, error)
                              : tavik::tools::WritePpm(o.out + name, width, height, rgb, error);
            }
            if (!written) return Fail(error);
        }
        TavikAdvance(m);
    }
    for (TrackDump& t : tracks) t.wav->Finish();
    if (stream && std::fflush(stream.get()) != 0) return Fail("cannot write " + o.y4m);
    return 0;
}
