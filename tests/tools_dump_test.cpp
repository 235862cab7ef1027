// The command-line tools end to end: tavik-dump against the independently made conformance
// movies and against our own encoder's movies, and tavik-info's verdicts.
#include <random>
#include <sstream>

#include "tools_runner.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;
using test::ReadWhole;

struct Ppm {
    uint32_t width = 0, height = 0, maxval = 0;
    std::vector<uint8_t> rgb;
    bool operator==(const Ppm&) const = default;
};

Ppm ReadPpm(const fs::path& path) {
    const std::vector<uint8_t> data = ReadWhole(path);
    std::istringstream header(std::string(data.begin(), data.end()));
    std::string magic;
    Ppm ppm;
    header >> magic >> ppm.width >> ppm.height >> ppm.maxval;
    EXPECT_EQ(magic, "P6") << path;
    const size_t start = static_cast<size_t>(header.tellg()) + 1;
    if (start <= data.size())
        ppm.rgb.assign(data.begin() + static_cast<ptrdiff_t>(start), data.end());
    return ppm;
}

// A WAVE file's format fields and data, whatever its header's exact layout.
struct Wav {
    uint32_t channels = 0, rate = 0, byteRate = 0, bits = 0;
    std::vector<uint8_t> data;
    bool operator==(const Wav&) const = default;
};

Wav ReadWav(const fs::path& path) {
    const std::vector<uint8_t> d = ReadWhole(path);
    Wav wav;
    auto u16 = [&](size_t at) { return uint32_t{d[at]} | uint32_t{d[at + 1]} << 8; };
    auto u32 = [&](size_t at) { return u16(at) | u16(at + 2) << 16; };
    for (size_t at = 12; at + 8 <= d.size();) {
        const std::string id(d.begin() + static_cast<ptrdiff_t>(at),
                             d.begin() + static_cast<ptrdiff_t>(at + 4));
        const uint32_t size = u32(at + 4);
        if (id == "fmt ") {
            wav.channels = u16(at + 10);
            wav.rate = u32(at + 12);
            wav.byteRate = u32(at + 16);
            wav.bits = u16(at + 22);
        } else if (id == "data") {
            wav.data.assign(d.begin() + static_cast<ptrdiff_t>(at + 8),
                            d.begin() + static_cast<ptrdiff_t>(std::min(d.size(), at + 8 + size)));
        }
        at += 8 + size + (size & 1);
    }
    return wav;
}

std::string Tool(const char* name) {
    return std::string(TAVIK_TOOLS_DIR) + "/" + name;
}

int RunTool(const std::string& command) {
    const int status = std::system((command + " 2>/dev/null >/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

fs::path ScratchDir(const std::string& name) {
    const fs::path dir =
        fs::temp_directory_path() / ("tavik-test-" + std::to_string(getpid())) / name;
    fs::remove_all(dir);
    fs::create_directories(dir);
    return dir;
}

TEST(ToolsDump, ConformanceMoviesDecodeExactly) {
    const fs::path root = TAVIK_CONFORMANCE_DIR;
    int expectations = 0;
    for (const auto& entry : fs::directory_iterator(root)) {
        const std::string dirName = entry.path().filename().string();
        const size_t dot = dirName.find(".expect");
        if (!entry.is_directory() || dot == std::string::npos) continue;
        const fs::path movie = root / (dirName.substr(0, dot) + ".tvk");
        std::vector<fs::path> expected;
        for (const auto& f : fs::directory_iterator(entry.path())) expected.push_back(f.path());
        size_t frames = 0;
        for (const auto& f : expected) frames += f.extension() == ".ppm";
        const fs::path out = ScratchDir(dirName);
        ASSERT_EQ(RunTool(Tool("tavik-dump") + " " + movie.string() + " --out " + out.string() +
                          " --count " + std::to_string(frames)),
                  0)
            << dirName;
        for (const auto& f : expected) {
            const fs::path ours = out / f.filename();
            ASSERT_TRUE(fs::exists(ours)) << ours;
            if (f.extension() == ".ppm")
                EXPECT_TRUE(ReadPpm(ours) == ReadPpm(f)) << ours;
            else
                EXPECT_TRUE(ReadWav(ours) == ReadWav(f)) << ours;
        }
        size_t written = 0;
        for ([[maybe_unused]] const auto& f : fs::directory_iterator(out)) ++written;
        EXPECT_EQ(written, expected.size()) << dirName;
        ++expectations;
    }
    EXPECT_GE(expectations, 8);
}

// An encoder-made movie, dumped through the engine, gives back its own frames and sound.
TEST(ToolsDump, EncodedMoviesRoundTrip) {
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
        const fs::path dir = ScratchDir(ring ? "ring" : "plain");
        ASSERT_TRUE(enc::WriteFile((dir / "m.tvk").string(), enc::EncodeMovie(plan)));
        ASSERT_EQ(RunTool(Tool("tavik-dump") + " " + (dir / "m.tvk").string() + " --out " +
                          (dir / "out").string() + " --count 8"),
                  0);
        // Play order: 0..4, then the ring frame (frame 0's picture, no sound) or frame 0, then
        // 1, 2.
        std::vector<uint8_t> sound;
        for (size_t i = 0; i < 8; ++i) {
            const size_t source = i < 5 ? i : i - 5;
            Ppm expected{plan.width, plan.height, 255, {}};
            for (uint8_t index : plan.frames[source].pixels)
                for (int c = 0; c < 3; ++c) expected.rgb.push_back(inForce[source][3 * index + c]);
            char name[32];
            std::snprintf(name, sizeof name, "frame_%05zu.ppm", i);
            EXPECT_TRUE(ReadPpm(dir / "out" / name) == expected) << name << " ring " << ring;
            const auto& pcm = plan.frames[source].audio[0];
            if (pcm && !(ring && i == 5)) sound.insert(sound.end(), pcm->begin(), pcm->end());
        }
        EXPECT_TRUE(ReadWav(dir / "out" / "track_0.wav") == (Wav{1, 11025, 11025, 8, sound}))
            << "ring " << ring;
    }
}

TEST(ToolsInfo, Verdicts) {
    const fs::path dir = ScratchDir("info");
    const std::string info = Tool("tavik-info") + " ";
    EXPECT_EQ(RunTool(info + TAVIK_CONFORMANCE_DIR + "/runs_320x200.tvk"), 0);
    EXPECT_EQ(RunTool(info + TAVIK_CONFORMANCE_DIR + "/tracks7_160x120.tvk"), 0);
    EXPECT_NE(RunTool(info + (dir / "missing.tvk").string()), 0);
    const std::vector<uint8_t> movie =
        ReadWhole(fs::path(TAVIK_CONFORMANCE_DIR) / "blocks_64x48.tvk");
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
        const std::string path = (dir / name).string();
        ASSERT_TRUE(enc::WriteFile(path, bytes));
        EXPECT_EQ(RunTool(info + path), verdict) << name;
    }
}

}  // namespace
}  // namespace tavik
