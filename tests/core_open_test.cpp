// Opening and closing: refusals, statistics, buffering choice, height scaling, debug lines.
#include <gtest/gtest.h>

#include <cstring>

#include "core/movie_internal.h"
#include "core_test_support.h"

namespace tavik::test {
namespace {

TEST(CoreOpen, RefusesWhatIsNotAPlayableMovie) {
    FakeSystem sys;
    const std::vector<uint8_t> good = Frames({16, 16}).Build();
    constexpr uint32_t kCut = ~0u;
    const struct {
        const char* what;
        size_t at;  // where `value` goes, or for kCut the length the file is cut to
        uint32_t value;
    } cases[] = {
        {"other version digit", 0, 0x334B5654},  // "TVK3"
        {"no frames", 12, 0},
        {"huge frame count", 12, 0x40000000},
        {"tree size not a multiple of 4", 56, 14},
        {"tree size below 12", 60, 8},
        {"tree block longer than the file", 52, 100000},
        {"zero width", 4, 0},
        {"a frame larger than the file", 104, 1u << 30},
        {"cut inside the header", 50, kCut},
        {"cut inside the tables", 110, kCut},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> bytes = good;
        if (c.value == kCut) {
            bytes.resize(c.at);
        } else {
            std::memcpy(&bytes[c.at], &c.value, 4);
        }
        sys.AddFile("m", bytes);
        EXPECT_EQ(TavikOpen("m", 0, TAVIK_CHOOSE_RING_SIZE), nullptr) << c.what;
        EXPECT_EQ(sys.OpenCount(), 0u) << c.what;
    }
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
    MoviePtr m = OpenRaw(sys, Frames({16, 32, 48}, 10), TavikPreload);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->LargestFrame, m->HighestRate, m->HighestRateFrame, m->AverageFrameSize,
                         m->FrameTime),
              std::tuple(48u, 96u, 1u, 32u, 1000u));
    // 500 ms per frame: windows of 2 frames from frame 1 on; frame 0's window never counts.
    m = OpenRaw(sys, Frames({400, 4, 8, 40, 4, 12}, -50000), TavikPreload);
    ASSERT_TRUE(m);
    EXPECT_EQ(std::tuple(m->HighestRate, m->HighestRateFrame), std::tuple(48u, 3u));  // 2 and 3
}

TEST(CoreOpen, ChoosesPreloadOrRing) {
    FakeSystem sys;
    // 10000 bytes of frames: 4/5 of it is below the 12288-byte default ring, so it is preloaded
    // and the file is closed at open.
    MoviePtr m = OpenRaw(sys, Frames(std::vector<uint32_t>(10, 1000)), 0, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_TRUE(m);
    EXPECT_TRUE(m->OpenFlags & TavikPreload);
    EXPECT_EQ(std::tuple(m->RingSize, m->IOBufferSize, m->File, sys.OpenCount()),
              std::tuple(0u, 10000u, TAVIK_INVALID_FILE, 0u));
    // As fast as possible: the default ring is 12288 bytes.
    const RawMovie big = Frames(std::vector<uint32_t>(40, 1000), 0);
    m = OpenRaw(sys, big, 0, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->OpenFlags & TavikPreload);
    EXPECT_EQ(std::tuple(m->RingSize, m->IOBufferSize), std::tuple(12288u, 1000u));
    m = OpenRaw(sys, big, 0, 0);  // an asked size of 0 rounds up to the 8192-byte least ring
    ASSERT_TRUE(m);
    EXPECT_EQ(m->RingSize, 8192u);
    m.reset();
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

    bytes[100] = 'X';
    sys.AddFile("broken", bytes);
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

TEST(CoreOpen, HeightScalingAndFrameRateOverride) {
    FakeSystem sys;
    const struct {
        uint32_t headerFlags, openFlags, keptFlag, height;
    } cases[] = {
        {0, 0, 0, 16},
        {2, 0, TavikInterlace, 32},
        {4, 0, TavikDouble, 32},
        {6, 0, 0, 16},  // both asked: neither applies
        {0, TavikInterlace, TavikInterlace, 32},
        {2, TavikDouble, TavikDouble, 32},
        {4, TavikNoScale, 0, 16},
    };
    for (const auto& c : cases) {
        MoviePtr m = OpenRaw(sys, Frames({16}, 100, c.headerFlags), c.openFlags);
        ASSERT_TRUE(m);
        EXPECT_EQ(std::tuple(m->OpenFlags & TavikNoScale, m->Header.Height),
                  std::tuple(c.keptFlag, c.height))
            << c.headerFlags << " " << c.openFlags;
    }
    const int32_t rates[][2] = {{15, 6666}, {-6600, 6600}, {0, 0}};
    for (const auto& r : rates) {
        TavikSetFrameRate(r[0]);
        MoviePtr m = OpenRaw(sys, Frames({16}), TavikRateOverride);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->FrameTime, static_cast<uint32_t>(r[1])) << r[0];
    }
    EXPECT_EQ(OpenRaw(sys, Frames({16}))->FrameTime, 10000u);  // without the flag: the header's
    TavikSetFrameRate(0);
}

}  // namespace
}  // namespace tavik::test
