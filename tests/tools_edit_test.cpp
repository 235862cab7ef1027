// tavik-edit as a translator runs it: SubRip cues drawn by the subtitle renderer with a real
// font and a dubbed track, and every kind of bad input answered with one line and no movie.
#include <algorithm>
#include <climits>

#include "support/decoded_movie.h"
#include "support/edit_scene.h"
#include "support/test_files.h"
#include "tools_runner.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;

class EditTool : public test::ToolRunner {
  protected:
    void SetUp() override {
        ToolRunner::SetUp();
        if (!std::ifstream(tools_ + "tavik-edit")) GTEST_SKIP() << "tavik-edit is not built";
        Write("in.tvk", enc::EncodeMovie(test::EditScene()));
    }
    // Runs tavik-edit on in.tvk; expects failure with one line naming the problem.
    void ExpectRefused(const std::string& options, const std::string& problem) {
        EXPECT_EQ(Run("tavik-edit", Path("in.tvk") + " " + Path("out.tvk") + " " + options), 1)
            << options;
        EXPECT_NE(stderr_.find(problem), std::string::npos) << stderr_;
        EXPECT_EQ(std::count(stderr_.begin(), stderr_.end(), '\n'), 1) << stderr_;
        EXPECT_FALSE(fs::exists(Path("out.tvk")) || fs::exists(Path("out.tvk.partial")));
    }
};

int Nearest(const std::vector<uint8_t>& palette, int r, int g, int b) {
    int best = 0, distance = INT_MAX;
    for (int i = 0; i < 256; ++i) {
        const int d = (palette[3 * i] - r) * (palette[3 * i] - r) +
                      (palette[3 * i + 1] - g) * (palette[3 * i + 1] - g) +
                      (palette[3 * i + 2] - b) * (palette[3 * i + 2] - b);
        if (d < distance) distance = d, best = i;
    }
    return best;
}

TEST_F(EditTool, SubtitlesAndADub) {
    WriteText("subs.srt",
              "1\n00:00:00,300 --> 00:00:00,700\nHello\n\n2\n00:00:01,000 --> 00:00:01,400\n"
              "<i>Wo</i>rld\n");
    std::vector<uint8_t> dub(20000);
    for (size_t i = 0; i < dub.size(); ++i) dub[i] = static_cast<uint8_t>(128 + (i % 50) - 25);
    Write("dub.wav", test::Wav(8000, 1, 8, dub));
    ASSERT_EQ(Run("tavik-edit", Path("in.tvk") + " " + Path("out.tvk") + " --subtitles " +
                                    Path("subs.srt") + " --sound 0:" + Path("dub.wav")),
              0)
        << stderr_;
    EXPECT_NE(stderr_.find("dub.wav: the sound lasts 2.50 s"), std::string::npos) << stderr_;
    const test::DecodedMovie before = test::DecodeMovie(Read("in.tvk"));
    const test::DecodedMovie after = test::DecodeMovie(Read("out.tvk"));
    ASSERT_TRUE(before.ok && after.ok);
    std::vector<uint8_t> track0;
    for (uint32_t n = 0; n < 24; ++n) {
        const test::DecodedFrame &a = before.frames[n], &b = after.frames[n];
        const int64_t ms = int64_t{n} * 6666 / 100;
        const bool cue = (ms >= 300 && ms < 700) || (ms >= 1000 && ms < 1400);
        EXPECT_EQ(a.sound[1], b.sound[1]) << n;
        track0.insert(track0.end(), b.sound[0].begin(), b.sound[0].end());
        if (!cue) {
            EXPECT_EQ(a.indices, b.indices) << n;
            continue;
        }
        // Bottom centre, white on a black outline in the palette's nearest entries.
        const int white = Nearest(b.palette, 255, 255, 255), black = Nearest(b.palette, 0, 0, 0);
        bool hasWhite = false, hasBlack = false;
        for (size_t i = 0; i < a.indices.size(); ++i) {
            if (a.indices[i] == b.indices[i]) continue;
            EXPECT_GE(i / 96, 32u) << n;
            hasWhite = hasWhite || b.indices[i] == white;
            hasBlack = hasBlack || b.indices[i] == black;
        }
        EXPECT_TRUE(hasWhite && hasBlack) << n;
    }
    dub.resize(track0.size(), 0x80);
    EXPECT_EQ(track0, dub);
}

TEST_F(EditTool, BadInput) {
    WriteText("bad.srt", "1\n00:00:01,000 -> 00:00:02,000\nx\n");
    ExpectRefused("--subtitles " + Path("bad.srt"), "bad.srt: line 2: expected a time line");
    WriteText("late.srt", "1\n00:00:05,000 --> 00:00:06,000\nx\n");
    ExpectRefused("--subtitles " + Path("late.srt"), "after the movie's end at 0:00:01.599");
    WriteText("ok.srt", "1\n00:00:00,000 --> 00:00:01,000\nx\n");
    ExpectRefused("--subtitles " + Path("ok.srt") + " --font " + Path("none.ttf"),
                  "none.ttf: no such font file");
    WriteText("style.ass",
              "[Script Info]\nScriptType: v4.00+\n\n[V4+ Styles]\nFormat: Name, Fontname, "
              "Fontsize\nStyle: Sign,No Such Family,20\n\n[Events]\nFormat: Layer, Start, End, "
              "Style, Text\nDialogue: 0,0:00:00.00,0:00:01.00,Sign,x\n");
    ExpectRefused("--subtitles " + Path("style.ass"), "\"No Such Family\", which is not installed");
    WriteText("empty.ass", "[Script Info]\n");
    ExpectRefused("--subtitles " + Path("empty.ass"), "empty.ass: no subtitles found");
    ExpectRefused("--sound 0:" + Path("none.wav"), "none.wav");
    Write("dub.wav", test::Wav(8000, 1, 8, std::vector<uint8_t>(100, 0x80)));
    ExpectRefused("--sound 1:" + Path("dub.wav") + " --drop-sound 1", "track 1 is given twice");
    EXPECT_EQ(Run("tavik-edit", Path("in.tvk")), 2);
    EXPECT_EQ(Run("tavik-edit", "--help > " + Path("help.txt")), 0);
    EXPECT_EQ(Run("tavik-edit", "--list-fonts > " + Path("fonts.txt")), 0);
    const std::vector<uint8_t> fonts = Read("fonts.txt");
    EXPECT_NE(std::string(fonts.begin(), fonts.end()).find("DejaVu Sans\n"), std::string::npos);
}

}  // namespace
}  // namespace tavik
