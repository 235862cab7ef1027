// Helpers for the movie core's tests: movies of raw frames, opened from the fake file system and
// closed when their handle goes.
#pragma once

#include <memory>
#include <tuple>
#include <vector>

#include "support/fake_system.h"
#include "support/raw_movie.h"
#include "tavik/tavik.h"

namespace tavik::test {

struct MovieCloser {
    void operator()(TavikMovie* m) const { TavikClose(m); }
};
using MoviePtr = std::unique_ptr<TavikMovie, MovieCloser>;

// Frames of the given sizes without palettes or sound; `frameRate` as the header gives it.
inline RawMovie Frames(std::vector<uint32_t> sizes, int32_t frameRate = 100, uint32_t flags = 0) {
    RawMovie movie;
    movie.frameRate = frameRate;
    movie.flags = flags;
    for (uint32_t s : sizes) movie.frames.push_back(RawFrame{s, {}, {}});
    return movie;
}

inline MoviePtr OpenRaw(FakeSystem& sys, const RawMovie& raw, uint32_t flags = 0,
                        uint32_t ring = 0) {
    sys.AddFile("m", raw.Build());
    return MoviePtr(TavikOpen("m", flags, ring));
}

}  // namespace tavik::test
