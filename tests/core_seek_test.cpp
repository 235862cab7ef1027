// TavikSeek: after a seek the engine plays on as if play had reached the frame: the picture in
// the destination (in every layout and pixel format), the palette, the frames that follow, the
// rectangles of the first frame, and the sound queued ahead of the frame's own.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "audio/sound_track.h"
#include "encoder/encoder.h"
#include "tavik/tavik.h"

namespace tavik {
namespace {

std::string Movie(const char* name) {
    return std::string(TAVIK_CONFORMANCE_DIR) + "/" + name + ".tvk";
}

struct Screen {
    uint32_t format;  // TavikSetDest's format word
    uint32_t bpp;
};

struct Shown {
    std::vector<uint8_t> pixels, palette;
};

struct Player {
    TavikMovie* m;
    std::vector<uint8_t> screen;
    uint32_t pitch, rows;

    Player(const char* name, uint32_t flags, Screen s) {
        m = TavikOpen(Movie(name).c_str(), flags | TavikNoSkip, TAVIK_CHOOSE_RING_SIZE);
        EXPECT_NE(m, nullptr) << name;
        pitch = m->Header.Width * s.bpp + 8;
        rows = m->Header.Height + 2;
        // Black where the frame goes, as a new display buffer is; a margin the frame never
        // touches around it.
        screen.assign(size_t{pitch} * rows, 0xA5);
        for (uint32_t y = 1; y + 1 < rows; ++y)
            std::memset(&screen[size_t{y} * pitch + s.bpp], 0, size_t{m->Header.Width} * s.bpp);
        TavikSetDest(m, 1, 1, static_cast<int32_t>(pitch), rows, screen.data(), s.format);
    }
    ~Player() { TavikClose(m); }
    Shown Decode() {
        TavikDecodeFrame(m);
        return {screen, std::vector<uint8_t>(m->Palette, m->Palette + 768)};
    }
};

// 16-bit pictures are drawn through the palette of the frame before the target: in play, pixels
// a frame leaves alone keep the colours of the palette they were drawn with, so 16-bit screens
// are compared on movies that keep their first palette.
TEST(CoreSeek, PlaysOnAsIfPlayHadReachedTheFrame) {
    const struct {
        const char* name;
        Screen screen;
        uint32_t scaling;  // forced at open
    } cases[] = {{"palette_160x120", {0, 1}, 0},
                 {"interlaced_160x60", {0, 1}, 0},
                 {"ring_100x64", {TAVIK_DEST_BOTTOM_UP, 1}, TavikDouble},
                 {"interlaced_160x60", {TAVIK_DEST_565 | TAVIK_DEST_BOTTOM_UP, 2}, 0},
                 {"blocks_64x48", {TAVIK_DEST_555, 2}, TavikDouble}};
    for (const auto& [name, s, scaling] : cases) {
        for (uint32_t reading : {0u, uint32_t{TavikPreload}}) {
            {
                const uint32_t flags = reading | scaling;
                Player straight(name, flags, s);
                const uint32_t count = straight.m->Header.FrameCount;
                std::vector<Shown> shown;
                for (uint32_t n = 0; n < count; ++n) {
                    shown.push_back(straight.Decode());
                    TavikAdvance(straight.m);
                }
                Player seeking(name, flags, s);
                for (uint32_t target : {count - 1, 2u, 0u, count / 2, count / 2 + 1}) {
                    ASSERT_EQ(TavikSeek(seeking.m, target), 1u);
                    EXPECT_EQ(seeking.m->FrameNum, target);
                    EXPECT_EQ(seeking.m->NewPalette, 1u);
                    for (uint32_t n = target; n < std::min(count, target + 2); ++n) {
                        const Shown now = seeking.Decode();
                        EXPECT_TRUE(now.pixels == shown[n].pixels)
                            << name << " flags " << flags << " format " << s.format << " frame "
                            << n << " after a seek to " << target;
                        EXPECT_EQ(now.palette, shown[n].palette) << name << " frame " << n;
                        // The first frame after the seek is shown whole.
                        uint64_t area = 0;
                        while (TavikNextRect(seeking.m, TavikRectsMerged))
                            area += uint64_t{seeking.m->LastRect[2]} * seeking.m->LastRect[3];
                        const uint64_t whole =
                            uint64_t{seeking.m->Header.Width} * seeking.m->Header.Height;
                        if (n == target) {
                            EXPECT_EQ(area, whole) << name << " frame " << n;
                        }
                        TavikAdvance(seeking.m);
                    }
                }
                EXPECT_EQ(TavikSeek(seeking.m, count), 0u);
                EXPECT_EQ(TavikSeek(nullptr, 0), 0u);
            }
        }
    }
}

// The sound that plays with the frame is queued first: from the frame's time up to where its
// own sound begins, which earlier frames brought. A movie of ours whose first frame carries a
// second of sound ahead of the pictures, as movies do, each sample telling where it stands.
TEST(CoreSeek, QueuesTheSoundThatPlaysWithTheFrame) {
    enc::MovieSpec plan;
    plan.width = plan.height = 8;
    plan.frameRate = -10000;  // 100 ms: 800 bytes of 8 kHz sound a frame
    plan.tracks[0] = enc::AudioTrackFormat{8000, false, false, true};
    std::vector<uint8_t> sound;
    for (uint32_t i = 0; i < 8000 + 30 * 800; ++i)
        sound.push_back(static_cast<uint8_t>(i * 37 % 251));
    for (uint32_t n = 0; n < 30; ++n) {
        enc::Frame& frame = plan.frames.emplace_back();
        frame.pixels.assign(64, static_cast<uint8_t>(n));
        if (n == 0) frame.palette = enc::Palette{};
        const uint32_t from = n == 0 ? 0 : 8000 + 800 * n, to = 8000 + 800 * (n + 1);
        frame.audio[0] = std::vector<uint8_t>(sound.begin() + from, sound.begin() + to);
    }
    const std::string path = ::testing::TempDir() + "/seek-sound-" + std::to_string(getpid());
    ASSERT_TRUE(enc::WriteFile(path, enc::EncodeMovie(plan)));
    TavikMovie* m = TavikOpen(path.c_str(), TavikTrack0 | TavikNoSkip, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_NE(m, nullptr);
    for (uint32_t target : {20u, 1u, 7u}) {
        ASSERT_EQ(TavikSeek(m, target), 1u);
        const TavikSoundTrack* track = m->Tracks[0];
        ASSERT_NE(track, nullptr);
        const uint32_t from = 800 * target, lead = 8000;  // up to frame target's own sound
        ASSERT_EQ(track->TotalWritten, lead) << "frame " << target;
        std::vector<uint8_t> queued;
        for (uint32_t i = 0; i < lead; ++i)
            queued.push_back(
                track->BufStart[(track->BufRead - track->BufStart + i) % track->BufSize]);
        EXPECT_TRUE(std::equal(queued.begin(), queued.end(), sound.begin() + from))
            << "frame " << target;
    }
    TavikClose(m);
    std::remove(path.c_str());
}

}  // namespace
}  // namespace tavik
