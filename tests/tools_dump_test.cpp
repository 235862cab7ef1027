// The command-line tools end to end: tavik-dump against the independently made conformance
// movies, and tavik-info's verdicts.
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
        {"text", {'n', 'o', 't', ' ', 'a', ' ', 'm', 'o', 'v', 'i', 'e'}, 1},
    };
    for (const auto& [name, bytes, verdict] : cases) {
        Write(name, bytes);
        EXPECT_EQ(Run("tavik-info", Path(name) + " >/dev/null"), verdict) << name;
        // As JSON, every verdict is an object that names the problem, if any.
        EXPECT_EQ(Run("tavik-info", "--json " + Path(name) + " >" + Path("json")), verdict);
        const std::vector<uint8_t> json = Read("json");
        const std::string text(json.begin(), json.end());
        EXPECT_NE(text.find(verdict ? "\"problem\":\"" : "\"problem\":null"), std::string::npos)
            << name << text;
    }
    for (const char* good : {"runs_320x200.tvk", "tracks7_160x120.tvk"})
        EXPECT_EQ(Run("tavik-info", (root / good).string() + " >/dev/null"), 0) << good;
    EXPECT_NE(Run("tavik-info", Path("missing.tvk") + " >/dev/null"), 0);
}

}  // namespace
}  // namespace tavik
