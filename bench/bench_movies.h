// Movies the benchmarks share, written once per run by our encoder.
#pragma once

#include <unistd.h>

#include <string>

#include "encoder/encoder.h"

namespace tavik::bench {

inline std::string WriteBenchMovie(const char* name, const enc::MovieSpec& plan) {
    const std::string path =
        "/tmp/tavik-bench-" + std::string(name) + "-" + std::to_string(getpid()) + ".tvk";
    enc::WriteFile(path, enc::EncodeMovie(plan));
    return path;
}

inline const std::string& DemoPath() {
    static const std::string path = WriteBenchMovie("decoder-demo", enc::MakeDemoMovie());
    return path;
}

// 1000 frames of 320x200 with the demo's sound: the demo's pictures over and over, each pass a
// little shifted so that no frame repeats an earlier one exactly.
inline const std::string& LongMoviePath() {
    static const std::string path = [] {
        enc::MovieSpec demo = enc::MakeDemoMovie();
        enc::MovieSpec plan = demo;
        plan.frames.clear();
        for (size_t i = 0; i < 1000; ++i) {
            enc::Frame frame = demo.frames[i % demo.frames.size()];
            const uint8_t shift = static_cast<uint8_t>(i / demo.frames.size());
            for (uint8_t& p : frame.pixels) p = static_cast<uint8_t>(p + shift);
            if (i % demo.frames.size() == 0 && !frame.palette)
                frame.palette = demo.frames[0].palette;
            plan.frames.push_back(std::move(frame));
        }
        return WriteBenchMovie("decoder-long", plan);
    }();
    return path;
}

}  // namespace tavik::bench
