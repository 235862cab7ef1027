// The read-ahead ring: piece-aligned reads, direct reads, the tail through the ring, simulated
// speed, filling, seeking on wrap, and short reads.
#include <gtest/gtest.h>

#include "support/fake_system.h"
#include "support/raw_movie.h"
#include "tavik/tavik.h"

namespace tavik {
namespace {

using test::FakeSystem;
using test::RawFrame;
using test::RawMovie;

// A movie whose frame 0 starts exactly at file offset 4096.
RawMovie Aligned(std::vector<uint32_t> sizes) {
    RawMovie movie;
    for (uint32_t s : sizes) movie.frames.push_back(RawFrame{s, {}, {}});
    movie.treeBlockSize = 4096 - 104 - 5 * static_cast<uint32_t>(sizes.size());
    return movie;
}

// The reads made since `from`, as (count asked) values.
std::vector<uint32_t> Asked(const FakeSystem& sys, size_t from) {
    std::vector<uint32_t> out;
    for (size_t i = from; i < sys.reads.size(); ++i) out.push_back(sys.reads[i].count);
    return out;
}

TEST(CoreRead, FramesComeThroughTheRingInWholePieces) {
    FakeSystem sys;
    RawMovie raw = Aligned({4096, 5000, 3000, 9000, 100, 16, 20000, 4096, 4096, 4096});
    ASSERT_EQ(raw.FirstFrameOffset(), 4096u);
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 8192);
    ASSERT_NE(m, nullptr);
    ASSERT_EQ(m->RingSize, 8192u);
    // Header, size table, type table, tree block, then frame 0: one 4096-byte read into the ring.
    EXPECT_EQ(Asked(sys, 0), (std::vector<uint32_t>{104, 40, 10, raw.treeBlockSize, 4096}));
    EXPECT_EQ(m->RingFill, 0u);
    EXPECT_EQ(m->FramePtr[0], 0);

    size_t mark = sys.reads.size();
    TavikAdvance(m);  // 5000 bytes: a direct read of 4096, then a piece into the ring
    EXPECT_EQ(Asked(sys, mark), (std::vector<uint32_t>{4096, 4096}));
    EXPECT_EQ(m->RingFill, 3192u);
    EXPECT_EQ(m->FramePtr[4999], 1);

    mark = sys.reads.size();
    TavikAdvance(m);  // 3000 bytes come from what the ring holds
    EXPECT_TRUE(Asked(sys, mark).empty());
    EXPECT_EQ(m->RingFill, 192u);
    EXPECT_EQ(m->FramePtr[2999], 2);

    // Background reads fill whole pieces while a piece of room is left.
    EXPECT_EQ(TavikReadAhead(m), 4096u);
    EXPECT_EQ(TavikReadAhead(m), 0u);
    EXPECT_EQ(m->RingFill, 4288u);
    EXPECT_EQ(m->RingHighest, 4288u);
    mark = sys.reads.size();
    TavikAdvance(m);  // 9000 bytes: 4288 from the ring, 4096 direct, the tail through the ring
    EXPECT_EQ(Asked(sys, mark), (std::vector<uint32_t>{4096, 4096}));
    EXPECT_EQ(m->RingFill, 4096u - 616);
    EXPECT_EQ(m->FramePtr[8999], 3);
    for (uint32_t frame = 4; frame < 10; ++frame) {
        TavikAdvance(m);
        EXPECT_EQ(m->FrameNum, frame);
        EXPECT_EQ(m->FramePtr[m->FrameSizes[frame] - 1], frame);
    }
    for (size_t i = 4; i < sys.reads.size(); ++i) EXPECT_EQ(sys.reads[i].offset % 4096, 0u);
    // The wrap seeks back to frame 0 and reads it again.
    TavikAdvance(m);
    EXPECT_EQ(m->FrameNum, 0u);
    EXPECT_EQ(m->FramePtr[4095], 0);
    EXPECT_EQ(m->ReadError, 0u);
    TavikClose(m);
}

TEST(CoreRead, UnalignedStartAndFillRing) {
    FakeSystem sys;
    RawMovie raw;
    for (int i = 0; i < 30; ++i) raw.frames.push_back(RawFrame{1000, {}, {}});
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", TavikFillRing, 8192);
    ASSERT_NE(m, nullptr);
    EXPECT_GE(m->RingFill, m->RingSize - 4095);
    EXPECT_LE(m->RingFill, m->RingSize);
    // After the aligning read every frame read starts on a piece boundary.
    const uint32_t first = raw.FirstFrameOffset();
    EXPECT_EQ(sys.reads[4].offset, first);
    EXPECT_EQ(sys.reads[4].count, 4096 - first % 4096);
    for (size_t i = 5; i < sys.reads.size(); ++i) EXPECT_EQ(sys.reads[i].offset % 4096, 0u);
    // Background reads made at open count as foreground reads of the open.
    EXPECT_EQ(m->BackReadBytes, 0u);
    EXPECT_EQ(m->OpenReadTime, m->ReadTime);
    for (uint32_t i = 1; i < 30; ++i) {
        TavikAdvance(m);
        ASSERT_EQ(m->FramePtr[999], i);
    }
    TavikClose(m);
}

TEST(CoreRead, SimulatedSpeedTakesItsTime) {
    FakeSystem sys;
    sys.AddFile("m", Aligned({4096, 4096, 4096, 4096}).Build());
    TavikSetReadSpeed(10000);
    TavikMovie* m = TavikOpen("m", TavikSimulateSpeed, 8192);
    ASSERT_NE(m, nullptr);
    EXPECT_EQ(m->ReadSpeed, 10000u);
    const uint32_t before = m->ReadTime;
    const uint32_t start = sys.now;
    TavikAdvance(m);
    EXPECT_GE(sys.now - start, 409u);
    EXPECT_GE(m->ReadTime - before, 409u);
    const uint32_t back = sys.now;
    EXPECT_EQ(TavikReadAhead(m), 4096u);
    EXPECT_GE(m->BackReadTime, 409u);
    EXPECT_GE(sys.now - back, 409u);
    TavikClose(m);
    TavikSetReadSpeed(0);
    m = TavikOpen("m", 0, 8192);  // without the flag the speed is not taken
    EXPECT_EQ(m->ReadSpeed, 0u);
    TavikClose(m);
}

TEST(CoreRead, ShortFileStopsThePicturesNotTheCount) {
    FakeSystem sys;
    RawMovie raw = Aligned({4096, 4096, 4096, 4096, 4096, 4096});
    sys.AddFile("m", raw.Build());
    TavikMovie* m = TavikOpen("m", 0, 8192);
    ASSERT_NE(m, nullptr);
    sys.Truncate("m", 4096 + 2 * 4096 + 100);  // the file ends inside frame 2
    TavikAdvance(m);
    EXPECT_EQ(m->ReadError, 0u);
    TavikAdvance(m);
    EXPECT_EQ(m->ReadError, 1u);
    EXPECT_EQ(TavikDecodeFrame(m), 0u);
    EXPECT_EQ(TavikNotYetDue(m), 0u);
    for (uint32_t n = 3; n < 20; ++n) {
        TavikAdvance(m);
        EXPECT_EQ(m->FrameNum, n);
    }
    TavikClose(m);

    // A size table claiming more than the file holds: opened, then stopped at the gap.
    std::vector<uint8_t> bytes = raw.Build();
    bytes.resize(bytes.size() - 3 * 4096);
    sys.AddFile("cut", bytes);
    m = TavikOpen("cut", TavikPreload, TAVIK_CHOOSE_RING_SIZE);
    ASSERT_NE(m, nullptr);
    EXPECT_FALSE(m->OpenFlags & TavikPreload);
    uint32_t frames = 0;
    while (!m->ReadError && frames < 10) TavikAdvance(m), ++frames;
    EXPECT_EQ(frames, 3u);
    TavikClose(m);
}

}  // namespace
}  // namespace tavik
