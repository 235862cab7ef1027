// Opening and closing: refusals, statistics, buffering choice, height scaling, debug lines.
#include <gtest/gtest.h>

#include <cstring>

#include "core/movie_internal.h"
#include "support/fake_system.h"
#include "support/raw_movie.h"
#include "tavik/tavik.h"

namespace tavik {
namespace {

using test::FakeSystem;
using test::RawFrame;
using test::RawMovie;

RawMovie Frames(std::vector<uint32_t> sizes) {
    RawMovie movie;
    for (uint32_t s : sizes) movie.frames.push_back(RawFrame{s, {}, {}});
    return movie;
}

void PutU32(std::vector<uint8_t>& bytes, size_t at, uint32_t v) {
    std::memcpy(&bytes[at], &v, 4);
}

TEST(CoreOpen, RefusesWhatIsNotAPlayableMovie) {
    FakeSystem sys;
    const std::vector<uint8_t> good = Frames({16, 16}).Build();
    struct Case {
        const char* what;
        size_t at;
        uint32_t value;
    };
    const Case cases[] = {
        {"other version digit", 0, 0x334B5654},  // "TVK3"
        {"no frames", 12, 0},
        {"huge frame count", 12, 0x40000000},
        {"tree size not a multiple of 4", 56, 14},
        {"tree size below 12", 60, 8},
        {"tree block longer than the file", 52, 100000},
        {"zero width", 4, 0},
    };
    for (const Case& c : cases) {
        std::vector<uint8_t> bytes = good;
        PutU32(bytes, c.at, c.value);
        sys.AddFile("m", bytes);
        EXPECT_EQ(TavikOpen("m", 0, TAVIK_CHOOSE_RING_SIZE), nullptr) << c.what;
        EXPECT_EQ(sys.OpenCount(), 0u) << c.what;
    }
    // Short files: inside the header, inside the tables.
    for (size_t length : {size_t{50}, size_t{110}}) {
        sys.AddFile("m", std::vector<uint8_t>(good.begin(), good.begin() + length));
        EXPECT_EQ(TavikOpen("m", 0, TAVIK_CHOOSE_RING_SIZE), nullptr) << length;
    }
    // A frame larger than the whole file.
    std::vector<uint8_t> bytes = good;
    PutU32(bytes, 104, 1u << 30);
    sys.AddFile("m", bytes);
    EXPECT_EQ(TavikOpen("m", 0, TAVIK_CHOOSE_RING_SIZE), nullptr);
    EXPECT_EQ(TavikOpen(nullptr, 0, 0), nullptr);
    EXPECT_EQ(TavikOpen("missing", 0, 0), nullptr);
}

TEST(CoreOpen, DebugLinesFollowTheSetting) {
    FakeSystem sys;
    sys.debugSetting = 0x101;  // low byte 1
    ResetDebugSettingForTests();
    sys.AddFile("good", Frames({16}).Build());
    std::vector<uint8_t> bad = Frames({16}).Build();
    bad[3] = '3';
    sys.AddFile("bad", bad);
    TavikMovie* m = TavikOpen("good", 0, 0);
    ASSERT_NE(m, nullptr);
    const std::string handle = std::to_string(reinterpret_cast<intptr_t>(m));
    TavikClose(m);
    EXPECT_EQ(TavikOpen("bad", 0, 0), nullptr);
    EXPECT_EQ(TavikOpen("none", 0, 0), nullptr);
    EXPECT_EQ(sys.debugOutput, "TavikOpen - file: good\r\nTavikOpen returned: " + handle +
                                   "\r\nTavikClose: " + handle +
                                   "\r\nTavikOpen - file: bad\r\nWasn't a Tavik file\r\n"
                                   "TavikOpen - file: none\r\nCouldn't open the Tavik file\r\n");
    sys.debugSetting = 2;
    ResetDebugSettingForTests();
    sys.debugOutput.clear();
    TavikClose(TavikOpen("good", 0, 0));
    EXPECT_EQ(sys.debugOutput, "");
    ResetDebugSettingForTests();
}

TEST(CoreOpen, DataRateStatistics) {
    FakeSystem sys;
    // Frame time 10 ms: 100 frames per second; a short movie counts as a whole.
    RawMovie shortMovie = Frames({16, 32, 48});
    shortMovie.frameRate = 10;
    sys.AddFile("short", shortMovie.Build());
    TavikMovie* m = TavikOpen("short", TavikPreload, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->LargestFrame, 48u);
    EXPECT_EQ(m->HighestRate, 96u);
    EXPECT_EQ(m->HighestRateFrame, 1u);
    EXPECT_EQ(m->AverageFrameSize, 32u);
    EXPECT_EQ(m->FrameTime, 1000u);
    TavikClose(m);

    // 500 ms per frame: windows of 2 frames from frame 1 on; frame 0's window never counts.
    RawMovie windows = Frames({400, 4, 8, 40, 4, 12});
    windows.frameRate = -50000;
    sys.AddFile("windows", windows.Build());
    m = TavikOpen("windows", TavikPreload, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->HighestRate, 48u);  // frames 2 and 3
    EXPECT_EQ(m->HighestRateFrame, 3u);
    TavikClose(m);
}

TEST(CoreOpen, ChoosesPreloadOrRing) {
    FakeSystem sys;
    RawMovie small = Frames(std::vector<uint32_t>(10, 1000));
    sys.AddFile("small", small.Build());
    // 10000 bytes of frames: 4/5 of it is below the 12288-byte default ring, so it is preloaded
    // and the file is closed at open.
    TavikMovie* m = TavikOpen("small", 0, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_NE(m, nullptr);
    EXPECT_TRUE(m->OpenFlags & TavikPreload);
    EXPECT_EQ(m->RingSize, 0u);
    EXPECT_EQ(m->IOBufferSize, 10000u);
    EXPECT_EQ(m->File, TAVIK_INVALID_FILE);
    EXPECT_EQ(sys.OpenCount(), 0u);
    TavikClose(m);

    RawMovie big = Frames(std::vector<uint32_t>(40, 1000));
    big.frameRate = 0;  // as fast as possible: default ring 12288
    sys.AddFile("big", big.Build());
    m = TavikOpen("big", 0, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(m->OpenFlags & TavikPreload);
    EXPECT_EQ(m->RingSize, 12288u);
    EXPECT_EQ(m->IOBufferSize, 1000u);
    TavikClose(m);
    // An asked size of 0 rounds up to the 8192-byte least ring.
    m = TavikOpen("big", 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->RingSize, 8192u);
    TavikClose(m);
    EXPECT_EQ(sys.OpenCount(), 0u);
}

TEST(CoreOpen, FileHandleStaysOpenAndOwnMemoryIsKept) {
    FakeSystem sys;
    std::vector<uint8_t> bytes(100, 0xEE);  // something before the movie
    const std::vector<uint8_t> movie = Frames({16, 16}).Build();
    bytes.insert(bytes.end(), movie.begin(), movie.end());
    sys.AddFile("exe", bytes);
    const TavikFile file = sys.OpenHandle("exe", 100);
    TavikMovie* m = TavikOpenFile(file, 0, 0);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->FirstFrameOffset, 100 + Frames({16, 16}).FirstFrameOffset());
    TavikClose(m);
    EXPECT_TRUE(sys.IsOpen(file));

    std::vector<uint8_t> broken = bytes;
    broken[100] = 'X';
    sys.AddFile("broken", broken);
    const TavikFile other = sys.OpenHandle("broken", 100);
    EXPECT_EQ(TavikOpenFile(other, 0, 0), nullptr);
    EXPECT_TRUE(sys.IsOpen(other));

    TavikMovie own;
    const TavikFile again = sys.OpenHandle("exe", 100);
    std::memcpy(&own, &again, sizeof again);
    ASSERT_EQ(TavikOpen(&own, TavikOwnMemory | TavikFileHandle, 0), &own);
    EXPECT_EQ(own.Header.FrameCount, 2u);
    TavikClose(&own);
    EXPECT_EQ(own.Header.FrameCount, 0u);  // zeroed, not freed

    TavikMovie named;
    std::strcpy(reinterpret_cast<char*>(&named), "exe-movie");
    sys.AddFile("exe-movie", movie);
    ASSERT_EQ(TavikOpen(&named, TavikOwnMemory, 0), &named);
    TavikClose(&named);
}

TEST(CoreOpen, HeightScaling) {
    FakeSystem sys;
    struct Case {
        uint32_t headerFlags, openFlags, keptFlag, height;
    };
    const Case cases[] = {
        {0, 0, 0, 16},
        {2, 0, TavikInterlace, 32},
        {4, 0, TavikDouble, 32},
        {6, 0, 0, 16},  // both asked: neither applies
        {0, TavikInterlace, TavikInterlace, 32},
        {2, TavikDouble, TavikDouble, 32},
        {4, TavikNoScale, 0, 16},
    };
    for (const Case& c : cases) {
        RawMovie raw = Frames({16});
        raw.flags = c.headerFlags;
        sys.AddFile("m", raw.Build());
        TavikMovie* m = TavikOpen("m", c.openFlags, 0);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->OpenFlags & TavikNoScale, c.keptFlag) << c.headerFlags << " " << c.openFlags;
        EXPECT_EQ(m->Header.Height, c.height);
        TavikClose(m);
    }
}

TEST(CoreOpen, FrameRateOverride) {
    FakeSystem sys;
    sys.AddFile("m", Frames({16}).Build());
    const struct {
        int32_t rate;
        uint32_t frameTime;
    } cases[] = {{15, 6666}, {-6600, 6600}, {0, 0}};
    for (const auto& c : cases) {
        TavikSetFrameRate(c.rate);
        TavikMovie* m = TavikOpen("m", TavikRateOverride, 0);
        ASSERT_NE(m, nullptr);
        EXPECT_EQ(m->FrameTime, c.frameTime) << c.rate;
        TavikClose(m);
    }
    TavikMovie* m = TavikOpen("m", 0, 0);  // without the flag the header's 100 ms stands
    EXPECT_EQ(m->FrameTime, 10000u);
    TavikClose(m);
    TavikSetFrameRate(0);
}

}  // namespace
}  // namespace tavik
