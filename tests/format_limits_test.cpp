// The format's limits hold alike everywhere: what tavik-encode writes, the engine and the
// embedding decoder open; what they would refuse, the encoder refuses first, naming the limit.
#include <gtest/gtest.h>

#include <cstring>
#include <tuple>

#include "format/header.h"
#include "support/fake_system.h"
#include "support/test_files.h"
#include "tavik/tavik.h"
#include "tools_runner.h"

namespace tavik {
namespace {

// Opens in the engine (through the fake file system) and in the decoder: both or neither.
bool OpensEverywhere(const std::vector<uint8_t>& movie) {
    test::FakeSystem system;
    system.AddFile("m", movie);
    TavikMovie* m = TavikOpen("m", 0, TAVIK_CHOOSE_RING_SIZE);
    TavikDecoder* d = nullptr;
    const bool decoded = TavikDecoderOpenMemory(movie.data(), movie.size(), &d) == TavikOk;
    EXPECT_EQ(m != nullptr, decoded);
    TavikClose(m);
    TavikDecoderClose(d);
    return decoded;
}

class FormatLimits : public test::ToolRunner {};

TEST_F(FormatLimits, EncoderWritesOnlyWhatTheEngineOpens) {
    const struct {
        uint32_t width, height;
        bool fits;
    } sizes[] = {{16384, 4, true},  {4, 16384, true},  {16388, 4, false},
                 {20000, 4, false}, {4, 16388, false}, {4, 20000, false}};
    for (const auto& size : sizes) {
        const std::string what = std::to_string(size.width) + "x" + std::to_string(size.height);
        Write("in.png",
              test::Png(size.width, size.height, {0, 1, 2, 1}, {0, 0, 0, 255, 0, 0, 0, 255, 0}));
        const int status = Run("tavik-encode", Path("out.tvk") + " " + Path("in.png"));
        if (!size.fits) {
            EXPECT_EQ(status, 1) << what;
            EXPECT_NE(stderr_.find("movies are 1 to 16384 pixels wide and high"), std::string::npos)
                << what << ": " << stderr_;
            continue;
        }
        ASSERT_EQ(status, 0) << what << ": " << stderr_;
        EXPECT_TRUE(OpensEverywhere(Read("out.tvk"))) << what;
        std::filesystem::remove(Path("out.tvk"));
    }
}

// Header fields around each limit, in a small movie of our encoder's.
TEST_F(FormatLimits, EngineAndDecoderAgreeOnEveryHeaderLimit) {
    Write("in.png", test::Png(8, 8, {0, 1}, {0, 0, 0, 255, 255, 255}));
    ASSERT_EQ(Run("tavik-encode", Path("small.tvk") + " " + Path("in.png")), 0) << stderr_;
    const std::vector<uint8_t> small = Read("small.tvk");
    ASSERT_TRUE(OpensEverywhere(small));
    const struct {
        size_t offset;  // of a header field
        uint32_t value;
        bool opens;
    } cases[] = {
        {4, 16384, true},
        {4, 16385, false},
        {4, 0, false},
        {8, 16384, true},
        {8, 16385, false},
        {16, uint32_t(-360000000), true},
        {16, uint32_t(-360000001), false},
        {16, 3600000, true},
        {16, 3600001, false},
        {16, 0x7FFFFFFF, false},
        {56, 13, false},
        {52, (1u << 24) + 1, false},
    };
    for (const auto& c : cases) {
        std::vector<uint8_t> movie = small;
        for (int i = 0; i < 4; ++i) movie[c.offset + i] = static_cast<uint8_t>(c.value >> (8 * i));
        EXPECT_EQ(OpensEverywhere(movie), c.opens) << "offset " << c.offset << " = " << c.value;
    }
    // Frame counts: the tables of 2^24 frames would not fit a test file; the one check that both
    // the engine and the decoder make decides them.
    TavikHeader h{};
    std::memcpy(&h, small.data(), sizeof h);
    for (const auto& [count, ring, fits] : {std::tuple{1u << 24, 0u, true},
                                            {(1u << 24) - 1, 1u, true},
                                            {1u << 24, 1u, false},
                                            {0u, 0u, false}}) {
        h.FrameCount = count;
        h.Flags = ring;
        EXPECT_EQ(HeaderProblem(h).empty(), fits) << count << " frames, ring " << ring;
    }
}

}  // namespace
}  // namespace tavik
