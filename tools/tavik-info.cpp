// tavik-info: prints what a movie holds and checks that it is sound.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "common/json_writer.h"
#include "common/usage_error.h"
#include "format/frame_chunks.h"
#include "format/header.h"
#include "tavik/tavik.h"

namespace {

using namespace tavik;

const char* const kTrees[4] = {"mask", "colour", "full-block", "type"};

int Fail(const std::string& name, const std::string& message) {
    std::fprintf(stderr, "tavik-info: %s: %s\n", name.c_str(), message.c_str());
    return 1;
}

std::string FrameRateText(int32_t rate) {
    char text[96];
    if (rate > 0)
        std::snprintf(text, sizeof text, "%d (%d ms per frame, %.2f fps)", rate, rate,
                      1000.0 / rate);
    else if (rate < 0)
        std::snprintf(text, sizeof text, "%d (%.2f ms per frame, %.2f fps)", rate, -rate / 100.0,
                      100000.0 / -rate);
    else
        std::snprintf(text, sizeof text, "0 (as fast as possible)");
    return text;
}

// Walks every frame's chunks; returns an empty string or what is wrong.
std::string CheckFrames(const std::vector<uint8_t>& file, const TavikMovie& m, uint32_t frameTotal,
                        std::vector<uint32_t>& chunks, uint32_t& palettes, size_t& trailing) {
    size_t at = m.FirstFrameOffset;
    for (uint32_t i = 0; i < frameTotal; ++i) {
        const uint32_t size = m.FrameSizes[i];
        if (size > file.size() - at)
            return "frame " + std::to_string(i) + " runs past the end of the file";
        const FrameChunks c =
            LocateFrameChunks(file.data() + at, size, m.FrameTypes[i], m.Header.AudioFormat);
        const std::string frame = "frame " + std::to_string(i) + ": ";
        if (c.damage == ChunkDamage::kPalette) return frame + "palette chunk runs past the frame";
        for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) chunks[t] += c.audio[t] != nullptr;
        if (c.damage == ChunkDamage::kSound)
            return frame + "audio chunk of track " + std::to_string(c.damagedTrack) +
                   " runs past the frame";
        palettes += c.paletteFits;
        at += size;
    }
    trailing = file.size() - at;
    return {};
}

struct TrackFacts {
    int track;
    uint32_t format, chunks, largestChunk;
};

// What the report says of a movie that opened, printed as text or as JSON.
struct Facts {
    std::string name;
    size_t fileBytes = 0;
    TavikHeader header{};
    uint32_t shownHeight = 0;
    size_t trailingBytes = 0;
    std::vector<TrackFacts> tracks;
    uint32_t palettes = 0;
    const TavikMovie* movie = nullptr;
    std::string problem;
};

void PrintText(const Facts& f) {
    const TavikHeader& h = f.header;
    const TavikMovie& m = *f.movie;
    std::printf("File: %s (%zu bytes)\n", f.name.c_str(), f.fileBytes);
    std::printf("Size: %u x %u", h.Width, h.Height);
    if (f.shownHeight != h.Height) std::printf(" (shown %u x %u)", h.Width, f.shownHeight);
    std::printf("\nFrames: %u%s\n", h.FrameCount, (h.Flags & 1) ? " plus a ring frame" : "");
    std::printf("Frame rate: %s\n", FrameRateText(h.FrameRate).c_str());
    std::printf("Flags: 0x%X%s%s%s\n", h.Flags, (h.Flags & 1) ? " ring-frame" : "",
                (h.Flags & 2) ? " interlaced" : "", (h.Flags & 4) ? " doubled" : "");
    if (f.trailingBytes) std::printf("Note: %zu bytes follow the last frame\n", f.trailingBytes);
    for (const TrackFacts& t : f.tracks) {
        const uint32_t format = t.format;
        std::printf("Track %d: %u Hz, %s, %d-bit, %s, largest chunk %u bytes, %u chunks%s\n",
                    t.track, format & TAVIK_AUDIO_RATE_MASK,
                    (format & TAVIK_AUDIO_STEREO) ? "stereo" : "mono",
                    (format & TAVIK_AUDIO_16BIT) ? 16 : 8,
                    (format & TAVIK_AUDIO_COMPRESSED) ? "compressed" : "plain", t.largestChunk,
                    t.chunks, (format & TAVIK_AUDIO_PRESENT) ? "" : " (not present)");
    }
    std::printf("Palette changes: %u\n", f.palettes);
    std::printf("Tree block: %u bytes\n", h.TreeBlockSize);
    for (int i = 0; i < 4; ++i)
        std::printf("  %-10s tree: %u bytes, %u nodes\n", kTrees[i], h.TreeSizes[i],
                    (h.TreeSizes[i] - 12) / 4);
    std::printf("Largest frame: %u bytes\n", m.LargestFrame);
    std::printf("Average frame: %u bytes\n", m.AverageFrameSize);
    std::printf("Highest rate: %u bytes per second, from frame %u\n", m.HighestRate,
                m.HighestRateFrame);
    std::printf("Frame data: %u bytes from offset %u\n", m.TotalFrameBytes, m.FirstFrameOffset);
    if (m.OpenFlags & TavikPreload)
        std::printf("Buffering: preloaded (%u bytes)\n", m.IOBufferSize);
    else
        std::printf("Buffering: read-ahead ring of %u bytes, frame buffer %u bytes\n", m.RingSize,
                    m.IOBufferSize);
    std::printf("Memory: %u bytes\n", m.MemHighest);
}

// The same facts under names that follow the text's labels.
void PrintJson(const Facts& f) {
    const TavikHeader& h = f.header;
    const TavikMovie& m = *f.movie;
    tools::JsonWriter j;
    j.Begin();
    j.String("file", f.name);
    j.Number("fileBytes", f.fileBytes);
    j.Number("width", h.Width);
    j.Number("height", h.Height);
    j.Number("shownHeight", f.shownHeight);
    j.Number("frames", h.FrameCount);
    j.Bool("ringFrame", h.Flags & 1);
    j.Begin("frameRate");
    j.Signed("field", h.FrameRate);
    if (h.FrameRate != 0) {
        const double ms = h.FrameRate > 0 ? h.FrameRate : -h.FrameRate / 100.0;
        j.Decimal("msPerFrame", ms);
        j.Decimal("fps", 1000.0 / ms);
    }
    j.End();
    j.Number("flags", h.Flags);
    j.Bool("interlaced", h.Flags & 2);
    j.Bool("doubled", h.Flags & 4);
    j.Number("trailingBytes", f.trailingBytes);
    j.BeginArray("tracks");
    for (const TrackFacts& t : f.tracks) {
        j.Begin();
        j.Number("track", static_cast<uint64_t>(t.track));
        j.Number("rate", t.format & TAVIK_AUDIO_RATE_MASK);
        j.Number("channels", (t.format & TAVIK_AUDIO_STEREO) ? 2 : 1);
        j.Number("bits", (t.format & TAVIK_AUDIO_16BIT) ? 16 : 8);
        j.Bool("compressed", t.format & TAVIK_AUDIO_COMPRESSED);
        j.Number("largestChunk", t.largestChunk);
        j.Number("chunks", t.chunks);
        j.Bool("present", t.format & TAVIK_AUDIO_PRESENT);
        j.End();
    }
    j.EndArray();
    j.Number("paletteChanges", f.palettes);
    j.Number("treeBlock", h.TreeBlockSize);
    j.BeginArray("trees");
    for (int i = 0; i < 4; ++i) {
        j.Begin();
        j.String("name", kTrees[i]);
        j.Number("bytes", h.TreeSizes[i]);
        j.Number("nodes", (h.TreeSizes[i] - 12) / 4);
        j.End();
    }
    j.EndArray();
    j.Number("largestFrame", m.LargestFrame);
    j.Number("averageFrame", m.AverageFrameSize);
    j.Begin("highestRate");
    j.Number("bytesPerSecond", m.HighestRate);
    j.Number("fromFrame", m.HighestRateFrame);
    j.End();
    j.Begin("frameData");
    j.Number("bytes", m.TotalFrameBytes);
    j.Number("offset", m.FirstFrameOffset);
    j.End();
    j.Begin("buffering");
    const bool preloaded = m.OpenFlags & TavikPreload;
    j.String("kind", preloaded ? "preloaded" : "read-ahead ring");
    if (!preloaded) j.Number("ringBytes", m.RingSize);
    j.Number(preloaded ? "bytes" : "frameBufferBytes", m.IOBufferSize);
    j.End();
    j.Number("memory", m.MemHighest);
    if (f.problem.empty())
        j.Null("problem");
    else
        j.String("problem", f.problem);
    j.End();
    std::printf("%s\n", j.Text().c_str());
}

const char kUsage[] =
    "usage: tavik-info [--json] MOVIE\n"
    "Prints a movie's header, trees, data rate and buffering, and checks its frames.\n"
    "  --json  the same facts as one JSON object; a file that is not a movie, or is damaged,\n"
    "          gives an object with its \"problem\"\n"
    "Exit status: 0 a sound movie, 1 a file that cannot be read, is not a movie or is damaged,\n"
    "2 bad arguments.\n";

// The failure, also as a JSON object when JSON was asked for.
int Fail(const std::string& name, const std::string& message, bool json) {
    if (json) {
        tools::JsonWriter j;
        j.Begin();
        j.String("file", name);
        j.String("problem", message);
        j.End();
        std::printf("%s\n", j.Text().c_str());
    }
    return Fail(name, message);
}

}  // namespace

int main(int argc, char** argv) {
    bool json = false;
    std::string name;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--help") {
            std::fputs(kUsage, stdout);
            return 0;
        }
        if (arg == "--json") {
            json = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return tools::UsageError("tavik-info", arg + ": unknown option");
        } else if (!name.empty()) {
            return tools::UsageError("tavik-info", arg + ": one movie at a time");
        } else {
            name = arg;
        }
    }
    if (name.empty()) {
        if (argc < 2) {
            std::fputs(kUsage, stderr);
            return tools::kUsageStatus;
        }
        return tools::UsageError("tavik-info", "no movie is named");
    }
    std::ifstream in(name, std::ios::binary);
    if (!in) return Fail(name, "cannot open the file", json);
    const std::vector<uint8_t> file{std::istreambuf_iterator<char>(in),
                                    std::istreambuf_iterator<char>()};
    if (file.size() < TAVIK_HEADER_SIZE || !HasMovieMagic(file.data()))
        return Fail(name, "not a Tavik movie", json);

    std::unique_ptr<TavikMovie, void (*)(TavikMovie*)> movie(
        TavikOpen(name.c_str(), 0, TAVIK_CHOOSE_RING_SIZE), TavikClose);
    Facts f;
    TavikHeader& h = f.header;
    std::memcpy(&h, file.data(), sizeof h);
    const uint64_t frameTotal = uint64_t{h.FrameCount} + (h.Flags & 1);
    if (!movie) {
        if (const std::string problem = HeaderProblem(h); !problem.empty())
            return Fail(name, "beyond the format's limits: " + problem, json);
        if (FrameDataOffset(h) > file.size())
            return Fail(name, "truncated: the file ends inside its tables", json);
        return Fail(name, "inconsistent header, tables or tree block", json);
    }
    f.name = name;
    f.fileBytes = file.size();
    f.movie = movie.get();
    f.shownHeight = movie->Header.Height;

    std::vector<uint32_t> chunks(TAVIK_MAX_TRACKS, 0);
    f.problem = CheckFrames(file, *movie, static_cast<uint32_t>(frameTotal), chunks, f.palettes,
                            f.trailingBytes);
    for (int t = 0; t < TAVIK_MAX_TRACKS; ++t) {
        if (!(h.AudioFormat[t] & TAVIK_AUDIO_PRESENT) && chunks[t] == 0) continue;
        f.tracks.push_back({t, h.AudioFormat[t], chunks[t], h.AudioMaxSize[t]});
    }
    if (json)
        PrintJson(f);
    else
        PrintText(f);
    if (!f.problem.empty()) return Fail(name, f.problem);
    return 0;
}
