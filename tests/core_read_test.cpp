// The read-ahead ring: piece-aligned reads, direct reads, the tail through the ring, simulated
// speed, filling, seeking on wrap, and short reads.
#include <gtest/gtest.h>

#include "core_test_support.h"

namespace tavik::test {
namespace {

// A movie whose frame 0 starts exactly at file offset 4096.
RawMovie Aligned(std::vector<uint32_t> sizes) {
    RawMovie movie = Frames(sizes);
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
    MoviePtr m = OpenRaw(sys, raw, 0, 8192);
    ASSERT_TRUE(m);
    ASSERT_EQ(m->RingSize, 8192u);
    // Header, size table, type table, tree block, then frame 0: one 4096-byte read into the ring.
    EXPECT_EQ(Asked(sys, 0), (std::vector<uint32_t>{104, 40, 10, raw.treeBlockSize, 4096}));
    EXPECT_EQ(std::tuple(m->RingFill, m->FramePtr[0]), std::tuple(0u, 0));
    // Each step: the frame, the reads it makes, what the ring holds after.
    const struct {
        std::vector<uint32_t> reads;
        uint32_t fill, readAhead;
    } steps[] = {
        {{4096, 4096}, 3192, 0},  // 5000 bytes: a direct read of 4096, then a piece into the ring
        {{}, 192, 4096},          // 3000 bytes from what the ring holds; then a background piece
        {{4096, 4096}, 4096 - 616, 0},  // 9000: 4288 from the ring, 4096 direct, the tail
    };
    for (uint32_t frame = 1; frame <= 3; ++frame) {
        const size_t mark = sys.reads.size();
        TavikAdvance(m.get());
        EXPECT_EQ(Asked(sys, mark), steps[frame - 1].reads) << frame;
        EXPECT_EQ(m->RingFill, steps[frame - 1].fill) << frame;
        EXPECT_EQ(m->FramePtr[m->FrameSizes[frame] - 1], frame);
        if (!steps[frame - 1].readAhead) continue;
        // Background reads fill whole pieces while a piece of room is left.
        EXPECT_EQ(TavikReadAhead(m.get()), 4096u);
        EXPECT_EQ(TavikReadAhead(m.get()), 0u);
        EXPECT_EQ(std::tuple(m->RingFill, m->RingHighest), std::tuple(4288u, 4288u));
    }
    for (uint32_t frame = 4; frame < 10; ++frame) {
        TavikAdvance(m.get());
        EXPECT_EQ(m->FrameNum, frame);
        EXPECT_EQ(m->FramePtr[m->FrameSizes[frame] - 1], frame);
    }
    for (size_t i = 4; i < sys.reads.size(); ++i) EXPECT_EQ(sys.reads[i].offset % 4096, 0u);
    // The wrap seeks back to frame 0 and reads it again.
    TavikAdvance(m.get());
    EXPECT_EQ(std::tuple(m->FrameNum, m->FramePtr[4095], m->ReadError), std::tuple(0u, 0, 0u));
}

TEST(CoreRead, UnalignedStartAndFillRing) {
    FakeSystem sys;
    const RawMovie raw = Frames(std::vector<uint32_t>(30, 1000));
    MoviePtr m = OpenRaw(sys, raw, TavikFillRing, 8192);
    ASSERT_TRUE(m);
    EXPECT_GE(m->RingFill, m->RingSize - 4095);
    EXPECT_LE(m->RingFill, m->RingSize);
    // Background reads made at open count as foreground reads of the open.
    EXPECT_EQ(std::tuple(m->BackReadBytes, m->OpenReadTime), std::tuple(0u, m->ReadTime));
    const uint32_t first = raw.FirstFrameOffset(), aligning = 4096 - first % 4096;
    EXPECT_EQ(std::tuple(sys.reads[4].offset, sys.reads[4].count), std::tuple(first, aligning));
    for (uint32_t i = 1; i < 30; ++i) {
        TavikAdvance(m.get());
        ASSERT_EQ(m->FramePtr[999], i);
    }
    // After the aligning read every frame read starts on a piece boundary.
    for (size_t i = 5; i < sys.reads.size(); ++i) EXPECT_EQ(sys.reads[i].offset % 4096, 0u);
    // The wrap seeks back to frame 0 and aligns again.
    const size_t mark = sys.reads.size();
    TavikAdvance(m.get());
    ASSERT_GT(sys.reads.size(), mark);
    EXPECT_EQ(std::tuple(sys.reads[mark].offset, sys.reads[mark].count, m->FramePtr[999]),
              std::tuple(first, aligning, 0));
}

TEST(CoreRead, SimulatedSpeedTakesItsTime) {
    FakeSystem sys;
    const RawMovie raw = Aligned({4096, 4096, 4096, 4096});
    TavikSetReadSpeed(10000);
    MoviePtr m = OpenRaw(sys, raw, TavikSimulateSpeed, 8192);
    ASSERT_TRUE(m);
    EXPECT_EQ(m->ReadSpeed, 10000u);
    const uint32_t before = m->ReadTime, start = sys.now;
    TavikAdvance(m.get());
    EXPECT_GE(sys.now - start, 409u);
    EXPECT_GE(m->ReadTime - before, 409u);
    const uint32_t back = sys.now;
    EXPECT_EQ(TavikReadAhead(m.get()), 4096u);
    EXPECT_GE(m->BackReadTime, 409u);
    EXPECT_GE(sys.now - back, 409u);
    TavikSetReadSpeed(0);
    EXPECT_EQ(OpenRaw(sys, raw, 0, 8192)->ReadSpeed, 0u);  // without the flag it is not taken
}

TEST(CoreRead, ShortFileStopsThePicturesNotTheCount) {
    FakeSystem sys;
    const RawMovie raw = Aligned({4096, 4096, 4096, 4096, 4096, 4096});
    MoviePtr m = OpenRaw(sys, raw, 0, 8192);
    ASSERT_TRUE(m);
    sys.Truncate("m", 4096 + 2 * 4096 + 100);  // the file ends inside frame 2
    TavikAdvance(m.get());
    EXPECT_EQ(m->ReadError, 0u);
    TavikAdvance(m.get());
    EXPECT_EQ(m->ReadError, 1u);
    EXPECT_EQ(TavikDecodeFrame(m.get()), 0u);
    EXPECT_EQ(TavikNotYetDue(m.get()), 0u);
    for (uint32_t n = 3; n < 20; ++n) {
        TavikAdvance(m.get());
        EXPECT_EQ(m->FrameNum, n);
    }

    // A size table claiming more than the file holds: opened, then stopped at the gap.
    std::vector<uint8_t> bytes = raw.Build();
    bytes.resize(bytes.size() - 3 * 4096);
    sys.AddFile("cut", bytes);
    m.reset(TavikOpen("cut", TavikPreload, TAVIK_CHOOSE_RING_SIZE));
    ASSERT_TRUE(m);
    EXPECT_FALSE(m->OpenFlags & TavikPreload);
    uint32_t frames = 0;
    while (!m->ReadError && frames < 10) TavikAdvance(m.get()), ++frames;
    EXPECT_EQ(frames, 3u);
}

}  // namespace
}  // namespace tavik::test
