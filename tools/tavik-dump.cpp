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

#include "audio/audio_decoder.h"
#include "audio/wav_writer.h"
#include "common/image_writer.h"
#include "tavik/tavik.h"

namespace {

const char kUsage[] =
    "usage: tavik-dump MOVIE --out DIR [--count N] [--format ppm|png]\n"
    "Decodes N frames (default: the movie's frame count) in play order and writes\n"
    "DIR/frame_00000.ppm ... and DIR/track_T.wav for each present sound track.\n";

struct Options {
    std::string movie, out, format = "ppm";
    long long count = -1;
};

int Fail(const std::string& message) {
    std::fprintf(stderr, "tavik-dump: %s\n", message.c_str());
    return 1;
}

bool ParseArguments(int argc, char** argv, Options& o, std::string& error) {
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&](std::string& to) {
            if (i + 1 >= argc) return false;
            to = argv[++i];
            return true;
        };
        std::string v;
        if (a == "--out") {
            if (!value(o.out)) return error = "--out needs a folder", false;
        } else if (a == "--count") {
            if (!value(v)) return error = "--count needs a number", false;
            char* end = nullptr;
            o.count = std::strtoll(v.c_str(), &end, 10);
            if (*end || o.count < 0) return error = "bad frame count: " + v, false;
        } else if (a == "--format") {
            if (!value(o.format) || (o.format != "ppm" && o.format != "png"))
                return error = "--format takes ppm or png", false;
        } else if (a == "--help" || a == "-h") {
            return error = "", false;
        } else if (!a.empty() && a[0] == '-') {
            return error = "unknown option " + a, false;
        } else if (o.movie.empty()) {
            o.movie = a;
        } else {
            return error = "more than one movie given", false;
        }
    }
    if (o.movie.empty() || o.out.empty()) return error = "a movie and --out are needed", false;
    return true;
}

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
    if (!ParseArguments(argc, argv, o, error)) {
        if (!error.empty()) std::fprintf(stderr, "tavik-dump: %s\n", error.c_str());
        std::fputs(kUsage, error.empty() ? stdout : stderr);
        return error.empty() ? 0 : 1;
    }
    if (o.format == "png" && !tavik::tools::PngAvailable())
        return Fail("PNG output is not available in this build");
    std::error_code folderError;
    std::filesystem::create_directory(o.out, folderError);
    if (folderError) return Fail("cannot create folder " + o.out);

    std::unique_ptr<TavikMovie, MovieCloser> movie(
        TavikOpen(o.movie.c_str(), 0, TAVIK_CHOOSE_RING_SIZE));
    if (!movie)
        return Fail(o.movie + ": cannot open the movie (missing, or not a valid Tavik movie)");
    TavikMovie* m = movie.get();
    const uint32_t width = m->Header.Width, height = m->Header.Height;
    std::vector<uint8_t> picture(size_t{width} * height, 0);
    TavikSetDest(m, 0, 0, static_cast<int32_t>(width), height, picture.data(), 0);
    if (!m->Dest) return Fail("out of memory");

    std::vector<TrackDump> tracks;
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
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
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05lld.%s", i, o.format.c_str());
        const auto rgb = tavik::tools::ToRgb(picture.data(), picture.size(), m->Palette);
        const bool written = o.format == "png"
                                 ? tavik::tools::WritePng(o.out + name, width, height, rgb, error)
                                 : tavik::tools::WritePpm(o.out + name, width, height, rgb, error);
        if (!written) return Fail(error);
        TavikAdvance(m);
    }
    for (TrackDump& t : tracks) t.wav->Finish();
    return 0;
}
