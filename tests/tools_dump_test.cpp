// The command-line tools end to end: tavik-dump against the independently made conformance
// movies and against our own encoder's movies, and tavik-info's verdicts.
#include <random>

#include "support/test_files.h"
#include "tools_runner.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;

class ToolsDump : public test::ToolRunner {};
class ToolsInfo : public test::ToolRunner {};

// The dump writes the same files, byte for byte, as the expected decodes.
TEST_F(ToolsDump, ConformanceMoviesDecodeExactly) {
    const fs::path root = TAVIK_CONFORMANCE_DIR;
    int expectations = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string dirName = entry.path().filename().string();
        const size_t dot = dirName.find(".expect");
        if (!entry.is_directory() || dot == std::string::npos) continue;
        std::vector<fs::path> expected;
        size_t frames = 0;
        for (const auto& f : fs::directory_iterator(entry.path())) {
            expected.push_back(f.path());
            frames += f.path().extension() == ".ppm";
        }
        const std::string movie = (root / (dirName.substr(0, dot) + ".tvk")).string();
        ASSERT_EQ(Run("tavik-dump",
                      movie + " --out " + Path(dirName) + " --count " + std::to_string(frames)),
                  0)
            << dirName << stderr_;
        for (const auto& f : expected) {
            const std::string ours = Path(dirName + "/" + f.filename().string());
            ASSERT_TRUE(fs::exists(ours)) << ours;
            EXPECT_TRUE(test::ReadWhole(ours) == test::ReadWhole(f)) << ours;
        }
        const auto written = std::distance(fs::directory_iterator(Path(dirName)), {});
        EXPECT_EQ(static_cast<size_t>(written), expected.size()) << dirName;
        ++expectations;
    }
    EXPECT_GE(expectations, 8);
}

// An encoder-made movie, dumped through the engine, gives back its own frames and sound.
TEST_F(ToolsDump, EncodedMoviesRoundTrip) {
    std::mt19937 random(7);
    for (const bool ring : {false, true}) {
        enc::MovieSpec plan;
        plan.width = 100;  // groups cross block rows
        plan.height = 24;
        plan.ringFrame = ring;
        plan.tracks[0] = enc::AudioTrackFormat{11025, false, false, true};
        enc::Palette palette{};
        for (auto& c : palette) c = enc::QuantizeComponent(static_cast<uint8_t>(random()));
        std::vector<uint8_t> pixels(plan.width * plan.height);
        std::vector<enc::Palette> inForce;
        for (int f = 0; f < 5; ++f) {
            enc::Frame frame;
            for (size_t i = 0; i < pixels.size(); i += 1 + random() % 7) pixels[i] = random() % 16;
            frame.pixels = pixels;
            if (f == 0 || f == 3) {
                palette[3 * (f + 1)] = enc::QuantizeComponent(static_cast<uint8_t>(random()));
                frame.palette = palette;
            }
            inForce.push_back(palette);
            if (f != 2)
                frame.audio[0] = std::vector<uint8_t>(700 + 4 * f, static_cast<uint8_t>(0x70 + f));
            plan.frames.push_back(frame);
        }
        Write("m.tvk", enc::EncodeMovie(plan));
        const std::string out = ring ? "ring/" : "plain/";
        ASSERT_EQ(Run("tavik-dump", Path("m.tvk") + " --out " + Path(out) + " --count 8"), 0);
        // Play order: 0..4, then the ring frame (frame 0's picture, no sound) or frame 0; 1, 2.
        std::vector<uint8_t> sound;
        for (size_t i = 0; i < 8; ++i) {
            const size_t source = i < 5 ? i : i - 5;
            const std::string header = "P6\n100 24\n255\n";
            std::vector<uint8_t> expected(header.begin(), header.end());
            for (uint8_t index : plan.frames[source].pixels)
                for (int c = 0; c < 3; ++c) expected.push_back(inForce[source][3 * index + c]);
            char name[32];
            std::snprintf(name, sizeof name, "frame_%05zu.ppm", i);
            EXPECT_TRUE(Read(out + name) == expected) << name << " ring " << ring;
            const auto& pcm = plan.frames[source].audio[0];
            if (pcm && !(ring && i == 5)) sound.insert(sound.end(), pcm->begin(), pcm->end());
        }
        EXPECT_TRUE(Read(out + "track_0.wav") == test::Wav(11025, 1, 8, sound)) << ring;
    }
}

TEST_F(ToolsInfo, Verdicts) {
    const fs::path root = TAVIK_CONFORMANCE_DIR;
    const std::vector<uint8_t> movie = test::ReadWhole(root / "blocks_64x48.tvk");
    std::vector<uint8_t> magic = movie, tree = movie;
    magic[3] = '3';
    tree[56] = 13;  // a tree size that is not a multiple of 4
    const std::tuple<const char*, std::vector<uint8_t>, int> cases[] = {
        {"whole", movie, 0},
        {"cut", {movie.begin(), movie.end() - 100}, 1},
        {"tables", {movie.begin(), movie.begin() + 120}, 1},
        {"magic", magic, 1},
        {"tree", tree, 1},
    };
    for (const auto& [name, bytes, verdict] : cases) {
        Write(name, bytes);
        EXPECT_EQ(Run("tavik-info", Path(name) + " >/dev/null"), verdict) << name;
    }
    for (const char* good : {"runs_320x200.tvk", "tracks7_160x120.tvk"})
        EXPECT_EQ(Run("tavik-info", (root / good).string() + " >/dev/null"), 0) << good;
    EXPECT_NE(Run("tavik-info", Path("missing.tvk") + " >/dev/null"), 0);
}

}  // namespace
}  // namespace tavik
