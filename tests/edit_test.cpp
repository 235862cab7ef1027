// The movie editor: text drawn into our own movies and the conformance movies with every other
// pixel exact, sound replaced, added and dropped with the pictures untouched, the data-rate
// limit, bad input, and SubRip files.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "edit/movie_edit.h"
#include "edit/subrip.h"
#include "encoder/authoring.h"
#include "encoder/rate_control.h"
#include "support/edit_scene.h"
#include "support/movie_chunks.h"
#include "tools_runner.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;
using test::BoxText;

class Editing : public ::testing::Test {
  protected:
    void SetUp() override {
        dir_ = ::testing::TempDir() + "/tavik_edit_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        fs::create_directories(dir_);
    }
    void TearDown() override {
        if (!HasFailure()) fs::remove_all(dir_);
    }
    // Edits `in`; the new movie, or empty on failure (with the reason in error_).
    std::vector<uint8_t> Edit(const std::vector<uint8_t>& in, const edit::EditOptions& options) {
        EXPECT_TRUE(enc::WriteFile(dir_ + "in.tvk", in));
        error_.clear();
        if (!edit::EditMovie(dir_ + "in.tvk", dir_ + "out.tvk", options, report_, error_))
            return {};
        return test::ReadWhole(dir_ + "out.tvk");
    }

    std::string dir_, error_;
    edit::EditReport report_;
};

// Each frame's chunk of a track as stored (empty where the frame has none), in file order.
std::vector<std::vector<uint8_t>> TrackChunks(const std::vector<uint8_t>& movie, int track) {
    auto u32 = [&](size_t at) {
        return uint32_t{movie[at]} | movie[at + 1] << 8 | movie[at + 2] << 16 |
               uint32_t{movie[at + 3]} << 24;
    };
    const uint32_t total = u32(12) + (u32(20) & 1);
    size_t at = 104 + 5 * size_t{total} + u32(52);
    std::vector<std::vector<uint8_t>> chunks;
    for (uint32_t i = 0; i < total; ++i) {
        const uint8_t type = movie[104 + 4 * total + i];
        size_t p = at + ((type & 1) ? movie[at] * 4u : 0);
        chunks.emplace_back();
        for (int t = 0; t < 7; ++t) {
            if (!(type & (2 << t))) continue;
            if (t == track) chunks.back().assign(movie.begin() + p, movie.begin() + p + u32(p));
            p += u32(p);
        }
        at += u32(104 + 4 * i);
    }
    return chunks;
}

// Text over moving and still pictures, across a palette change, in frame 0 (and so in the ring
// frame, and after play wraps), in antialiased boxes and, coarsened for the rate, hard-edged.
TEST_F(Editing, TextChangesNothingElse) {
    const std::vector<uint8_t> in = enc::EncodeMovie(test::EditScene());
    BoxText text;
    text.Add(0, 200, 10, 40, 30, 9, 250, 250, 250);     // frames 0-3, and the ring frame
    text.Add(400, 1000, 20, 24, 50, 20, 10, 240, 20);   // moving and still pictures, palette
    text.Add(500, 700, 40, 30, 20, 20, 240, 10, 200);   // over the box before it
    text.Add(1450, 1600, 60, 50, 36, 14, 255, 255, 0);  // the last frame
    edit::EditOptions options;
    options.text = &text;
    const std::vector<uint8_t> out = Edit(in, options);
    ASSERT_FALSE(out.empty()) << error_;
    test::ExpectEditedExactly(in, out, text, 24 + 1 + 30, "scene");
    EXPECT_EQ(report_.framesWithText, 4u + 9u + 2u + 1u);  // the ring frame shows frame 0's
    EXPECT_LE(report_.highestRateAfter, report_.rateLimit);
    EXPECT_EQ(TrackChunks(in, 3), TrackChunks(out, 3));

    // Unused entries take the text's own colours.
    options.reserveColours = true;
    options.maxRate = 1 << 30;
    const std::vector<uint8_t> reserved = Edit(in, options);
    ASSERT_FALSE(reserved.empty()) << error_;
    test::ExpectEditedExactly(in, reserved, text, 24 + 1 + 30, "reserved", true);
    const test::DecodedFrame frame = test::DecodeMovie(reserved, 2).frames[1];
    const uint8_t* white = &frame.palette[3 * frame.indices[44 * 96 + 15]];
    EXPECT_EQ(std::vector<uint8_t>(white, white + 3), std::vector<uint8_t>(3, 251));
}

TEST_F(Editing, TextInTheConformanceMovies) {
    for (const fs::directory_entry& file : fs::directory_iterator(TAVIK_CONFORMANCE_DIR)) {
        if (file.path().extension() != ".tvk") continue;
        const std::vector<uint8_t> in = test::ReadWhole(file.path().string());
        BoxText text;
        text.Add(70, 300, 5, 8, 40, 11, 255, 255, 255);
        text.Add(150, 250, 30, 16, 25, 30, 0, 0, 255, true);
        edit::EditOptions options;
        options.text = &text;
        options.maxRate = 1 << 30;
        const std::vector<uint8_t> out = Edit(in, options);
        ASSERT_FALSE(out.empty()) << file.path() << ": " << error_;
        const uint32_t frames = in[12] + (in[20] & 1);
        test::ExpectEditedExactly(in, out, text, frames + 3, file.path().filename().string());
    }
}

// Track 1 dubbed (another rate and layout, converted to the track's format and spread as its old
// sound was), track 3 dropped, track 5 added a second ahead of the pictures; the pictures and
// track 0 as stored.
TEST_F(Editing, SoundReplacedDroppedAndAdded) {
    const std::vector<uint8_t> in = enc::EncodeMovie(test::EditScene());
    edit::NewSound dub;
    dub.track = 1;
    dub.name = "dub.wav";
    dub.source = {4000, false, true, true};
    for (int i = 0; i < 12000; ++i) {
        dub.pcm.push_back(static_cast<uint8_t>(i * 5));
        dub.pcm.push_back(static_cast<uint8_t>(i / 30));
    }
    edit::NewSound added;
    added.track = 5;
    added.name = "new.wav";
    added.source = {8000, false, false, true};
    added.pcm.assign(4000, 0x90);
    added.format = enc::AudioTrackFormat{8000, false, false, false};
    edit::EditOptions options;
    options.sounds = {dub, added};
    options.drop[3] = true;
    const std::vector<uint8_t> out = Edit(in, options);
    ASSERT_FALSE(out.empty()) << error_;

    EXPECT_EQ(TrackChunks(in, 0), TrackChunks(out, 0));
    EXPECT_EQ(test::MovieChunks(in).trees, test::MovieChunks(out).trees);
    const test::DecodedMovie before = test::DecodeMovie(in), after = test::DecodeMovie(out);
    ASSERT_TRUE(before.ok && after.ok);
    EXPECT_FALSE(after.info.Tracks[3].Present);
    ASSERT_TRUE(after.info.Tracks[5].Present);
    std::vector<uint8_t> track1, track5;
    for (size_t i = 0; i < after.frames.size(); ++i) {
        EXPECT_EQ(before.frames[i].indices, after.frames[i].indices) << i;
        EXPECT_EQ(before.frames[i].sound[1].size(), after.frames[i].sound[1].size()) << i;
        EXPECT_TRUE(after.frames[i].sound[3].empty());
        track1.insert(track1.end(), after.frames[i].sound[1].begin(),
                      after.frames[i].sound[1].end());
        track5.insert(track5.end(), after.frames[i].sound[5].begin(),
                      after.frames[i].sound[5].end());
    }
    std::vector<uint8_t> expected =
        edit::ConvertPcm(dub.pcm, dub.source, enc::AudioTrackFormat{8000, true, true, false});
    ASSERT_GT(expected.size(), track1.size());
    expected.resize(track1.size());
    EXPECT_EQ(track1, expected);
    expected.assign(4000, 0x90);
    expected.resize(8000 + 8000 * 6666 / 100000, 0x80);  // a second's lead and frame 0's own
    EXPECT_EQ(track5, expected);
    ASSERT_EQ(report_.messages.size(), 2u);
    EXPECT_NE(report_.messages[0].find("dub.wav: the sound lasts 3.00 s, track 1 only 1.70 s"),
              std::string::npos)
        << report_.messages[0];
    EXPECT_NE(report_.messages[1].find("new.wav: the sound lasts 0.50 s"), std::string::npos)
        << report_.messages[1];
}

// Text whose every pixel is a different blend costs more than 110% of the movie's peak: drawn
// with hard edges it fits, and the report says so. A limit that nothing can keep is reported,
// and the movie is written all the same.
TEST_F(Editing, RateLimit) {
    const std::vector<uint8_t> in = enc::EncodeMovie(test::EditScene());
    BoxText text;
    text.Add(0, 1600, 0, 28, 96, 36, 255, 255, 255, true);
    edit::EditOptions options;
    options.text = &text;
    const std::vector<uint8_t> coarse = Edit(in, options);
    ASSERT_FALSE(coarse.empty()) << error_;
    test::ExpectEditedExactly(in, coarse, text, 25, "coarse");
    ASSERT_EQ(report_.messages.size(), 1u);
    EXPECT_NE(report_.messages[0].find("drawn more coarsely"), std::string::npos);
    EXPECT_EQ(report_.rateLimit, report_.highestRateBefore * 110 / 100);
    EXPECT_LE(report_.highestRateAfter, report_.rateLimit);

    options.maxRate = 1000;
    const std::vector<uint8_t> out = Edit(in, options);
    ASSERT_FALSE(out.empty()) << error_;
    EXPECT_NE(report_.messages.back().find("the limit of 1000 bytes a second cannot be kept"),
              std::string::npos)
        << report_.messages.back();
    EXPECT_GT(enc::HighestRate(enc::FrameSizesOf(out), 15), 1000u);
}

TEST_F(Editing, BadInputLeavesNoMovie) {
    const std::vector<uint8_t> in = enc::EncodeMovie(test::EditScene());
    BoxText late;
    late.Add(1600, 1700, 0, 0, 8, 8, 0, 0, 0);  // the 24 frames end at 1.599 s
    edit::EditOptions options;
    options.text = &late;
    EXPECT_TRUE(Edit(in, options).empty());
    EXPECT_EQ(error_, "boxes: a cue starts at 0:00:01.600, after the movie's end at 0:00:01.599");

    edit::EditOptions twice;
    twice.drop[1] = true;
    twice.sounds.resize(1);
    twice.sounds[0].track = 1;
    EXPECT_TRUE(Edit(in, twice).empty());
    EXPECT_NE(error_.find("track 1 is given twice"), std::string::npos) << error_;

    BoxText text;
    text.Add(0, 100, 0, 0, 8, 8, 0, 0, 0);
    options.text = &text;
    EXPECT_TRUE(Edit(std::vector<uint8_t>(in.begin(), in.end() - 200), options).empty());
    EXPECT_NE(error_.find("in.tvk"), std::string::npos) << error_;
    EXPECT_FALSE(fs::exists(dir_ + "out.tvk") || fs::exists(dir_ + "out.tvk.partial"));
}

TEST(SubRip, CuesTagsAndErrors) {
    std::vector<edit::SubRipCue> cues;
    std::string error;
    ASSERT_TRUE(
        edit::ParseSubRip("\xEF\xBB\xBF"
                          "1\r\n00:00:01,5 --> 00:00:02,250 X1:10\r\n"
                          "<i>Hello</i>, <font color=\"#FF8000\">you</font> <q>\r\n"
                          "second line\r\n2\r\n0:3.000-->1:00:04.000\r\n\r\n"
                          "00:00:05,000 --> 00:00:06,000\nlast\n",
                          cues, error))
        << error;
    ASSERT_EQ(cues.size(), 3u);
    EXPECT_EQ(cues[0].startMs, 1500);
    EXPECT_EQ(cues[0].endMs, 2250);
    EXPECT_EQ(cues[0].text, "{\\i1}Hello{\\i0}, {\\c&H0080FF&}you{\\c} <q>\\Nsecond line");
    EXPECT_EQ(cues[1].startMs, 3000);
    EXPECT_EQ(cues[1].endMs, 3604000);
    EXPECT_EQ(cues[1].text, "");
    EXPECT_EQ(cues[2].text, "last");

    const std::pair<const char*, const char*> bad[] = {
        {"1\n00:00:01,000 -> 00:00:02,000\nx\n", "line 2: expected a time line"},
        {"\n\n00:00:03,000 --> 00:00:02,000\nx\n", "line 3: the cue ends before it starts"},
        {"1\n00:00:01,000 --> 00:00:02,000\n\xFF\xFE\n", "not UTF-8"},
        {"\n \n", "no cues"}};
    for (const auto& [file, why] : bad) {
        EXPECT_FALSE(edit::ParseSubRip(file, cues, error)) << file;
        EXPECT_EQ(error.rfind(why, 0), 0u) << error;
    }
}

}  // namespace
}  // namespace tavik
