// The command-line tools end to end: tavik-dump against the independently made conformance
// movies and against our own encoder's movies, and tavik-info's verdicts.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "encoder/encoder.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;

std::vector<uint8_t> ReadWhole(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

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
    uint32_t channels = 0, rate = 0, bits = 0;
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

// An encoder-made movie, dumped through the engine, gives back its own frames.
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
        for (int f = 0; f < 5; ++f) {
            enc::Frame frame;
            for (size_t i = 0; i < pixels.size(); i += 1 + random() % 7) pixels[i] = random() % 16;
            frame.pixels = pixels;
            if (f == 0 || f == 3) {
                palette[3 * (f + 1)] = enc::QuantizeComponent(static_cast<uint8_t>(random()));
                frame.palette = palette;
            }
            if (f != 2)
                frame.audio[0] = std::vector<uint8_t>(700 + 4 * f, static_cast<uint8_t>(0x70 + f));
            plan.frames.push_back(frame);
        }
        const fs::path dir = ScratchDir(ring ? "ring" : "plain");
        ASSERT_TRUE(enc::WriteFile((dir / "m.tvk").string(), enc::EncodeMovie(plan)));
        const int count = 8;  // wraps once
        ASSERT_EQ(RunTool(Tool("tavik-dump") + " " + (dir / "m.tvk").string() + " --out " +
                          (dir / "out").string() + " --count " + std::to_string(count)),
                  0);
        std::vector<uint8_t> sound;
        for (int i = 0; i < count; ++i) {
            // Play order: 0..4 then the ring frame (showing frame 0) and 1.., or 0.. again.
            const int source = i < 5 ? i : (ring ? (i == 5 ? 0 : i - 5) : i - 5);
            const int soundFrame = i < 5 ? i : (ring ? (i == 5 ? -1 : i - 5) : i - 5);
            const enc::Frame& frame = plan.frames[static_cast<size_t>(source)];
            // The palette in force: the latest change at or before this frame.
            const enc::Frame* withPalette = &plan.frames[0];
            for (int p = 0; p <= source; ++p)
                if (plan.frames[static_cast<size_t>(p)].palette)
                    withPalette = &plan.frames[static_cast<size_t>(p)];
            Ppm expected{plan.width, plan.height, 255, {}};
            for (uint8_t index : frame.pixels)
                for (int c = 0; c < 3; ++c)
                    expected.rgb.push_back((*withPalette->palette)[3 * index + c]);
            char name[32];
            std::snprintf(name, sizeof name, "frame_%05d.ppm", i);
            EXPECT_TRUE(ReadPpm(dir / "out" / name) == expected) << name << " ring " << ring;
            if (soundFrame >= 0 && plan.frames[static_cast<size_t>(soundFrame)].audio[0]) {
                const auto& pcm = *plan.frames[static_cast<size_t>(soundFrame)].audio[0];
                sound.insert(sound.end(), pcm.begin(), pcm.end());
            }
        }
        const Wav wav = ReadWav(dir / "out" / "track_0.wav");
        EXPECT_EQ(wav.rate, 11025u);
        EXPECT_EQ(wav.channels, 1u);
        EXPECT_EQ(wav.bits, 8u);
        EXPECT_TRUE(wav.data == sound) << "ring " << ring;
    }
}

TEST(ToolsInfo, Verdicts) {
    const fs::path dir = ScratchDir("info");
    const std::string info = Tool("tavik-info") + " ";
    EXPECT_EQ(RunTool(info + TAVIK_CONFORMANCE_DIR + "/runs_320x200.tvk"), 0);
    EXPECT_EQ(RunTool(info + TAVIK_CONFORMANCE_DIR + "/tracks7_160x120.tvk"), 0);
    EXPECT_NE(RunTool(info + (dir / "missing.tvk").string()), 0);
    std::vector<uint8_t> movie = ReadWhole(fs::path(TAVIK_CONFORMANCE_DIR) / "blocks_64x48.tvk");
    const auto write = [&](const std::string& name, const std::vector<uint8_t>& bytes) {
        enc::WriteFile((dir / name).string(), bytes);
        return RunTool(info + (dir / name).string());
    };
    EXPECT_EQ(write("whole.tvk", movie), 0);
    EXPECT_EQ(write("cut.tvk", std::vector<uint8_t>(movie.begin(), movie.end() - 100)), 1);
    EXPECT_EQ(write("tables.tvk", std::vector<uint8_t>(movie.begin(), movie.begin() + 120)), 1);
    std::vector<uint8_t> magic = movie;
    magic[3] = '3';
    EXPECT_EQ(write("magic.tvk", magic), 1);
    std::vector<uint8_t> tree = movie;
    tree[56] = 13;  // a tree size that is not a multiple of 4
    EXPECT_EQ(write("tree.tvk", tree), 1);
}

}  // namespace
}  // namespace tavik
