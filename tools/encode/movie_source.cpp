#include "encode/movie_source.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "format/header.h"
#include "tavik/tavik.h"

namespace tavik::tools {

namespace {

struct MovieCloser {
    void operator()(TavikMovie* m) const { TavikClose(m); }
};

uint32_t U32(const uint8_t* p) {
    uint32_t v = 0;
    std::memcpy(&v, p, 4);
    return v;
}

}  // namespace

bool LooksLikeMovie(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    char magic[4] = {};
    const bool read = std::fread(magic, 1, 4, file) == 4;
    std::fclose(file);
    return read && HasMovieMagic(magic);
}

bool ReadMovieFacts(const std::string& path, bool withSound, MovieFacts& facts,
                    std::string& error) {
    std::unique_ptr<TavikMovie, MovieCloser> movie(
        TavikOpen(path.c_str(), TavikPreload, TAVIK_CHOOSE_RING_SIZE));
    if (!movie) {
        error = path + ": cannot open the movie (missing, or not a valid Tavik movie)";
        return false;
    }
    TavikMovie* m = movie.get();
    const TavikHeader& header = m->Header;
    facts.frameRate = header.FrameRate;
    facts.ring = header.Flags & TavikFlagRingFrame;
    facts.interlaced = header.Flags & TavikFlagInterlaced;
    facts.doubled = header.Flags & TavikFlagDoubled;
    facts.frameCount = header.FrameCount;
    for (int t = 0; t < enc::kTrackCount; ++t) {
        const uint32_t format = header.AudioFormat[t];
        if (!(format & TAVIK_AUDIO_PRESENT) || (format & TAVIK_AUDIO_RATE_MASK) == 0) continue;
        enc::AudioTrackFormat track;
        track.rate = format & TAVIK_AUDIO_RATE_MASK;
        track.stereo = format & TAVIK_AUDIO_STEREO;
        track.is16Bit = format & TAVIK_AUDIO_16BIT;
        track.compressed = format & TAVIK_AUDIO_COMPRESSED;
        facts.tracks[t] = track;
        facts.audioMaxSize[t] = header.AudioMaxSize[t];
    }
    std::memcpy(facts.firstPalette.data(), m->Palette, 768);
    if (!withSound) return true;
    const uint32_t total = header.FrameCount + (facts.ring ? 1 : 0);
    facts.sound.assign(total, {});
    for (uint32_t i = 0; i < total; ++i) {
        if (m->ReadError || m->FrameNum != i) {
            error = path + ": the file ends before frame " + std::to_string(i);
            return false;
        }
        for (int t = 0; t < enc::kTrackCount; ++t) {
            const uint8_t* chunk = m->AudioChunks[t];
            if (!chunk || !facts.tracks[t]) continue;
            const uint32_t length = U32(chunk);
            if (length < 4 || length > m->FrameSizes[i]) {
                error = path + ": frame " + std::to_string(i) + " has a broken sound chunk";
                return false;
            }
            facts.sound[i][t] = std::vector<uint8_t>(chunk, chunk + length);
        }
        if (i + 1 < total) TavikAdvance(m);
    }
    return true;
}

}  // namespace tavik::tools
