// tavik-encode and tavik-dump together as a user runs them: every kind of PNG, YUV4MPEG2 in and
// out, the lossless dump -> edit -> encode round trip, the authoring switches and bad input.
#include "encoder/authoring.h"
#include "support/decoded_movie.h"
#include "support/movie_chunks.h"
#include "support/synthetic_video.h"
#include "support/test_files.h"
#include "tools_runner.h"

namespace tavik {
namespace {

namespace fs = std::filesystem;
using test::Png;

class AuthoringTools : public test::ToolRunner {
  protected:
    test::DecodedMovie Decode(const std::string& name, int count = -1) const {
        test::DecodedMovie movie = test::DecodeMovie(Read(name), count);
        EXPECT_TRUE(movie.ok) << name;
        return movie;
    }
    // The clip as RGB PNGs 100.png ...; returns their paths, each after a space.
    std::string WriteClip(const std::vector<test::RgbPicture>& clip) const {
        std::string names;
        for (size_t i = 0; i < clip.size(); ++i) {
            const std::string name = std::to_string(100 + i) + ".png";
            Write(name, Png(clip[i].width, clip[i].height, clip[i].rgb, {}, 2));
            (names += ' ') += Path(name);
        }
        return names;
    }
};

TEST_F(AuthoringTools, EveryKindOfPng) {
    struct Case {
        const char* name;
        uint8_t colourType, depth;
        std::vector<uint8_t> samples, palette;
        uint8_t r, g, b;  // the colour of every pixel, as decoded
    };
    const Case cases[] = {
        {"grey", 0, 8, {100}, {}, 101, 101, 101},
        {"grey1", 0, 1, {0xFF}, {}, 255, 255, 255},
        {"grey16", 0, 16, {0x80, 0x00}, {}, 130, 130, 130},
        {"grey-alpha", 4, 8, {200, 128}, {}, 101, 101, 101},
        {"rgb", 2, 8, {10, 250, 130}, {}, 8, 251, 130},
        {"rgb16", 2, 16, {0xFF, 0xFF, 0, 0, 0x41, 0x00}, {}, 255, 0, 65},
        {"rgba", 6, 8, {255, 0, 0, 64}, {}, 65, 0, 0},
        {"palette4", 3, 4, {0x11}, {0, 0, 0, 65, 130, 255}, 65, 130, 255},
    };
    for (const Case& c : cases) {
        Write(std::string(c.name) + ".png", Png(8, 8, c.samples, c.palette, c.colourType, c.depth));
        ASSERT_EQ(
            Run("tavik-encode", "--quality 100 " + Path("out.tvk") + " " + Path(c.name) + ".png"),
            0)
            << c.name << stderr_;
        const test::DecodedMovie movie = Decode("out.tvk");
        ASSERT_FALSE(movie.frames.empty());
        const std::vector<uint8_t>& rgb = movie.frames[0].rgb;
        for (size_t i = 0; i < rgb.size(); ++i)
            ASSERT_NEAR(rgb[i], (std::array{c.r, c.g, c.b}[i % 3]), 2) << c.name << " " << i;
    }
}

// Indexed PNGs keep their indices and palettes; WAVE sound goes in after its lead, compressed or
// plain; the demo is written on request.
TEST_F(AuthoringTools, IndexedFramesSoundAndTheDemo) {
    std::vector<uint8_t> first(16 * 8), second(16 * 8), red(12), blue(12);
    for (size_t i = 0; i < first.size(); ++i) {
        first[i] = static_cast<uint8_t>(i % 3);
        second[i] = i % 5 == 0 ? 3 : 1;
    }
    for (int i = 0; i < 4; ++i) red[3 * i] = blue[3 * i + 2] = static_cast<uint8_t>(i * 80);
    Write("f0.png", Png(16, 8, first, red));
    Write("f1.png", Png(16, 8, second, blue));
    std::vector<uint8_t> mono(1000), stereo(4 * 300);
    for (size_t i = 0; i < mono.size(); ++i) mono[i] = static_cast<uint8_t>(128 + i % 40);
    for (size_t i = 0; i < stereo.size(); ++i) stereo[i] = static_cast<uint8_t>(i * 7);
    Write("mono.wav", test::Wav(1000, 1, 8, mono));
    Write("stereo.wav", test::Wav(500, 2, 16, stereo));
    ASSERT_EQ(
        Run("tavik-encode", "--fps 10 --ring --lead 200 --audio 1:" + Path("mono.wav") +
                                " --audio 4:" + Path("stereo.wav") + ":plain " + Path("out.tvk") +
                                " " + Path("f0.png") + " " + Path("f1.png")),
        0)
        << stderr_;
    // Track 1: compressed 8-bit mono at 1000 Hz; track 4: plain 16-bit stereo at 500 Hz.
    const std::vector<uint8_t> bytes = Read("out.tvk");
    EXPECT_EQ(test::MovieChunks::U32(bytes.data() + 76), 1000u | 1u << 30 | 1u << 31);
    EXPECT_EQ(test::MovieChunks::U32(bytes.data() + 88), 500u | 3u << 28 | 1u << 30);
    const test::DecodedMovie movie = Decode("out.tvk");
    ASSERT_EQ(movie.frames.size(), 3u);
    EXPECT_EQ(movie.info.FrameTime, 10000u);
    EXPECT_EQ(movie.info.HasRingFrame, 1u);
    for (size_t i = 0; i < 3; ++i) EXPECT_EQ(movie.frames[i].indices, i == 1 ? second : first);
    EXPECT_EQ(movie.frames[1].palette[3 * 2 + 2], enc::QuantizeComponent(160));
    EXPECT_EQ(movie.frames[2].palette[3 * 2], enc::QuantizeComponent(160));
    // 200 ms of lead, then 100 ms a frame; the ring frame carries no sound.
    const auto part = [](const std::vector<uint8_t>& v, size_t from, size_t to) {
        return std::vector<uint8_t>(v.begin() + static_cast<long>(from),
                                    v.begin() + static_cast<long>(to));
    };
    EXPECT_EQ(movie.frames[0].sound[1], part(mono, 0, 300));
    EXPECT_EQ(movie.frames[1].sound[1], part(mono, 300, 400));
    EXPECT_EQ(movie.frames[1].sound[4], part(stereo, 600, 800));
    EXPECT_TRUE(movie.frames[2].sound[1].empty());
    ASSERT_EQ(Run("tavik-encode", "--demo " + Path("demo.tvk")), 0) << stderr_;
    EXPECT_EQ(Decode("demo.tvk").frames.size(), enc::MakeDemoMovie().frames.size());
}

TEST_F(AuthoringTools, DumpEditEncodeIsLossless) {
    // A lossy movie from truecolour, with sound and a ring frame.
    const std::vector<test::RgbPicture> clip = test::MakePan(64, 48, 6, 4);
    Write("speech.wav", test::Wav(11025, 1, 8, test::MakeSpeech(11025, 2)));
    ASSERT_EQ(Run("tavik-encode", "--fps 10 --ring --palette frames --audio 2:" +
                                      Path("speech.wav") + " " + Path("m.tvk") + WriteClip(clip)),
              0)
        << stderr_;
    ASSERT_EQ(Run("tavik-dump", Path("m.tvk") + " --out " + Path("d") + " --format png"), 0)
        << stderr_;
    // Frame 3 edited in a paint program that saves truecolour: a white box.
    const test::DecodedMovie original = Decode("m.tvk");
    std::vector<uint8_t> edited = original.frames[3].rgb;
    for (uint32_t y = 8; y < 20; ++y)
        for (uint32_t x = 8; x < 40; ++x) std::fill_n(edited.begin() + 3 * (y * 64 + x), 3, 255);
    Write("d/frame_00003.png", Png(64, 48, edited, {}, 2));
    ASSERT_EQ(Run("tavik-encode", "--like " + Path("m.tvk") + " --keep-sound " + Path("m.tvk") +
                                      " --quality 100 " + Path("again.tvk") + " " + Path("d") +
                                      "/frame_*.png"),
              0)
        << stderr_;
    const test::DecodedMovie again = Decode("again.tvk");
    ASSERT_EQ(again.frames.size(), original.frames.size());
    EXPECT_EQ(again.info.FrameTime, original.info.FrameTime);
    EXPECT_EQ(again.info.HasRingFrame, 1u);
    for (size_t i = 0; i < original.frames.size(); ++i) {
        EXPECT_EQ(again.frames[i].sound, original.frames[i].sound) << i;
        if (i != 3) {
            EXPECT_EQ(again.frames[i].rgb, original.frames[i].rgb) << i;
        }
    }
    EXPECT_GE(test::Psnr(again.frames[3].rgb, edited), 30);
    // The truecolour dump is the same picture as the indexed one.
    ASSERT_EQ(Run("tavik-dump", Path("m.tvk") + " --out " + Path("r") + " --format rgb-png"), 0);
    ASSERT_EQ(
        Run("tavik-encode", "--quality 100 " + Path("r.tvk") + " " + Path("r/frame_00001.png")), 0);
    EXPECT_GE(test::Psnr(Decode("r.tvk").frames[0].rgb, original.frames[1].rgb), 40);
}

std::vector<uint8_t> Y4m(const test::RgbPicture& picture, uint32_t frames,
                         const std::string& chroma, bool full, const std::string& rate = "F15:1") {
    const uint32_t w = picture.width, h = picture.height;
    const bool mono = chroma == "mono";
    const uint32_t sx = chroma == "444" || mono ? 1 : 2, sy = chroma.rfind("420", 0) == 0 ? 2 : 1;
    std::string header = "YUV4MPEG2 W" + std::to_string(w) + " H" + std::to_string(h) + " " + rate +
                         " Ip A1:1 C" + chroma + (full ? " XCOLORRANGE=FULL" : "") + "\n";
    std::vector<uint8_t> out(header.begin(), header.end());
    std::vector<double> y(w * h), cb(w * h), cr(w * h);
    for (size_t i = 0; i < size_t{w} * h; ++i) {
        const double r = picture.rgb[3 * i], g = picture.rgb[3 * i + 1], b = picture.rgb[3 * i + 2];
        y[i] = 0.299 * r + 0.587 * g + 0.114 * b;
        cb[i] = (b - y[i]) / 1.772;
        cr[i] = (r - y[i]) / 1.402;
    }
    auto code = [&](double v, bool luma) {
        const double scaled = full ? v : v * (luma ? 219 : 224) / 255;
        return static_cast<uint8_t>(
            std::clamp(std::lround(scaled + (luma ? (full ? 0 : 16) : 128)), 0L, 255L));
    };
    for (uint32_t f = 0; f < frames; ++f) {
        const std::string frame = "FRAME\n";
        out.insert(out.end(), frame.begin(), frame.end());
        for (double v : y) out.push_back(code(v, true));
        if (mono) continue;
        for (const std::vector<double>* plane : {&cb, &cr})
            for (uint32_t cy = 0; cy < (h + sy - 1) / sy; ++cy)
                for (uint32_t cx = 0; cx < (w + sx - 1) / sx; ++cx)
                    out.push_back(code((*plane)[cy * sy * w + cx * sx], false));
    }
    return out;
}

TEST_F(AuthoringTools, Y4mInAndOut) {
    // A smooth picture, so that every chroma layout's subsampling leaves it nearly unchanged.
    const test::RgbPicture picture = test::MakeGradient(32, 16);
    test::RgbPicture grey = picture;
    for (size_t i = 0; i < grey.rgb.size(); i += 3) {
        const double luma = 0.299 * grey.rgb[i] + 0.587 * grey.rgb[i + 1] + 0.114 * grey.rgb[i + 2];
        std::fill_n(grey.rgb.begin() + static_cast<long>(i), 3,
                    test::ToByte(static_cast<float>(luma)));
    }
    for (const auto& [chroma, full] :
         std::initializer_list<std::pair<std::string, bool>>{{"420jpeg", false},
                                                             {"420", false},
                                                             {"420mpeg2", true},
                                                             {"420paldv", false},
                                                             {"422", false},
                                                             {"444", true},
                                                             {"mono", false}}) {
        Write("in.y4m", Y4m(picture, 3, chroma, full, "F30000:1001"));
        ASSERT_EQ(
            Run("tavik-encode", "--quality 100 --y4m - " + Path("y.tvk") + " < " + Path("in.y4m")),
            0)
            << chroma << stderr_;
        const test::DecodedMovie movie = Decode("y.tvk");
        ASSERT_EQ(movie.frames.size(), 3u) << chroma;
        EXPECT_EQ(movie.info.FrameTime, 3337u);  // 3336.67 ticks, the nearest
        EXPECT_GE(test::Psnr(movie.frames[2].rgb, (chroma == "mono" ? grey : picture).rgb), 30)
            << chroma;
    }
    // Out again, 4:4:4 and 4:2:0, with the movie's frame rate, and back in.
    for (const char* layout : {"", " --y4m-420"}) {
        ASSERT_EQ(Run("tavik-dump", Path("y.tvk") + " --y4m " + Path("out.y4m") + layout), 0)
            << stderr_;
        const std::vector<uint8_t> stream = Read("out.y4m");
        const std::string header(stream.begin(), std::find(stream.begin(), stream.end(), '\n'));
        EXPECT_NE(header.find("W32 H16 F100000:3337"), std::string::npos) << header;
        EXPECT_NE(header.find(*layout ? "C420jpeg" : "C444"), std::string::npos) << header;
        ASSERT_EQ(
            Run("tavik-encode", "--quality 100 --y4m " + Path("out.y4m") + " " + Path("z.tvk")), 0)
            << stderr_;
        EXPECT_GE(test::Psnr(Decode("z.tvk").frames[0].rgb, Decode("y.tvk").frames[0].rgb),
                  *layout ? 30 : 38);
    }
}

TEST_F(AuthoringTools, SwitchesAndReports) {
    const std::vector<test::RgbPicture> clip = test::MakePan(96, 64, 20, 3);
    const std::string frames = WriteClip(clip);
    ASSERT_EQ(Run("tavik-encode", "--fps 10 " + Path("free.tvk") + frames), 0) << stderr_;
    const std::vector<uint32_t> sizes = enc::FrameSizesOf(Read("free.tvk"));
    uint64_t second = 0;
    for (size_t i = 1; i <= 10; ++i) second += sizes[i];
    // Capped, on a terminal: one progress line over every step and pass, which never runs
    // backwards, erased before the report.
    const std::string capped = tools_ + "tavik-encode --fps 10 --max-rate " +
                               std::to_string(second / 2) + " " + Path("capped.tvk") + frames;
    ASSERT_EQ(std::system(("script -qec '" + capped + "' /dev/null >" + Path("tty.txt")).c_str()),
              0);
    const std::vector<uint8_t> tty = Read("tty.txt");
    const std::string terminal(tty.begin(), tty.end());
    EXPECT_NE(terminal.find("squeezed"), std::string::npos) << terminal;
    EXPECT_NE(terminal.find("quality 80 -> "), std::string::npos) << terminal;
    std::vector<std::string> steps;
    int percent = -1;
    for (size_t at = 0; (at = terminal.find('\r', at)) != std::string::npos;) {
        const size_t end = terminal.find_first_of("\r\n\033", ++at);
        const std::string line = terminal.substr(at, end - at);
        if (line.empty()) continue;
        const int now = std::atoi(line.c_str());
        EXPECT_GE(now, percent) << line;
        percent = now;
        const std::string step =
            line.substr(line.find(' ') + 1, line.find(',') - line.find(' ') - 1);
        if (steps.empty() || steps.back() != step) steps.push_back(step);
    }
    ASSERT_GE(steps.size(), 5u) << terminal;
    EXPECT_EQ(steps[0], "reading the pictures");
    EXPECT_EQ(steps[3], "coding");
    EXPECT_EQ(steps[4], "coding again for --max-rate (pass 2)");
    EXPECT_LT(terminal.rfind('%'), terminal.find("\r\033[Ktavik-encode: --max-rate")) << terminal;
    Decode("capped.tvk");
    // A movie's palette, fixed or only in part; an indexed PNG's.
    Write("pal.png", Png(4, 4, {0}, std::vector<uint8_t>(768, 0x41)));
    for (const std::string& args : std::vector<std::string>{
             " --palette-from " + Path("free.tvk"),
             " --palette-from " + Path("pal.png") + " --fixed-entries 0-9,250-255",
             " --dither diffusion --palette global", " --dither ordered --quality 30"}) {
        ASSERT_EQ(Run("tavik-encode", args + " " + Path("p.tvk") + frames), 0) << args << stderr_;
        const test::DecodedMovie movie = Decode("p.tvk");
        EXPECT_GE(test::Psnr(movie.frames[5].rgb, clip[5].rgb), 25) << args;
        if (args.find("pal.png") != std::string::npos) {
            EXPECT_EQ(movie.frames[0].palette[3 * 250], 0x41);
        }
    }
    EXPECT_EQ(Run("tavik-encode", "--help >" + Path("help.txt")), 0);
}

// --fps takes decimals and fractions, kept as the nearest frame time the header holds; without
// a rate, standard error says which one the pictures got.
TEST_F(AuthoringTools, FrameRates) {
    Write("a.png", Png(8, 8, {1, 2, 3}, {}, 2));
    const std::pair<std::string, int32_t> cases[] = {
        {"--fps 29.97", -3337}, {"--fps 30000/1001", -3337}, {"--fps 12.5", -8000}, {"", 66}};
    for (const auto& [option, field] : cases) {
        ASSERT_EQ(Run("tavik-encode", option + " " + Path("o.tvk") + " " + Path("a.png")), 0)
            << option << stderr_;
        EXPECT_EQ(static_cast<int32_t>(test::MovieChunks::U32(Read("o.tvk").data() + 16)), field)
            << option;
    }
    EXPECT_EQ(stderr_, "tavik-encode: no --fps given: 66 ms a frame (15.15 frames per second)\n");
}

// Sound of every sample format becomes 16 bits by its fraction of full scale: float samples
// (clipped beyond full scale, never wrapped) and 24- and 32-bit integers, rounded. Sound that
// lasts beyond the last picture is reported.
TEST_F(AuthoringTools, SoundOfEverySampleFormat) {
    const double fractions[] = {0.5, -0.25, 27000.0 / 32768, 0.5 / 32768, 1.5, -2.0, 0, -1};
    std::vector<uint8_t> expected, f32, f64, s24, s32;
    for (const double f : fractions) {
        test::PutLittle(expected,
                        static_cast<uint32_t>(std::clamp(std::lround(f * 32768), -32768L, 32767L)),
                        2);
        const auto integer = [&](double full) {
            return static_cast<uint32_t>(std::clamp(std::llround(f * full),
                                                    static_cast<long long>(-full),
                                                    static_cast<long long>(full) - 1));
        };
        test::PutLittle(s24, integer(8388608), 3);
        test::PutLittle(s32, integer(2147483648.0), 4);
        const float single = static_cast<float>(f);
        f32.insert(f32.end(), reinterpret_cast<const uint8_t*>(&single),
                   reinterpret_cast<const uint8_t*>(&single) + 4);
        f64.insert(f64.end(), reinterpret_cast<const uint8_t*>(&f),
                   reinterpret_cast<const uint8_t*>(&f) + 8);
    }
    Write("a.png", Png(8, 8, {1, 2, 3}, {}, 2));
    const std::tuple<const char*, uint16_t, uint16_t, const std::vector<uint8_t>&> sounds[] = {
        {"f32", 32, 3, f32}, {"f64", 64, 3, f64}, {"s24", 24, 1, s24}, {"s32", 32, 1, s32}};
    for (const auto& [name, bits, format, pcm] : sounds) {
        Write(std::string(name) + ".wav", test::Wav(1000, 1, bits, pcm, format));
        ASSERT_EQ(Run("tavik-encode", "--fps 10 --audio 0:" + Path(name) + ".wav:plain " +
                                          Path("s.tvk") + " " + Path("a.png")),
                  0)
            << name << stderr_;
        EXPECT_EQ(Decode("s.tvk").frames[0].sound[0], expected) << name;
    }
    // One frame of 100 ms after no lead carries 100 of the 1200 samples.
    Write("long.wav", test::Wav(1000, 1, 8, std::vector<uint8_t>(1200, 0x90)));
    ASSERT_EQ(Run("tavik-encode", "--fps 10 --lead 0 --audio 0:" + Path("long.wav") + " " +
                                      Path("s.tvk") + " " + Path("a.png")),
              0);
    EXPECT_NE(stderr_.find("long.wav: the last 1.1 s of sound go on past the last picture and "
                           "are left out"),
              std::string::npos)
        << stderr_;
}

TEST_F(AuthoringTools, BadInputFailsCleanly) {
    Write("a.png", Png(8, 8, {1, 2, 3}, {}, 2));
    Write("b.png", Png(12, 8, {1, 2, 3}, {}, 2));
    Write("odd.png", Png(10, 8, {1, 2, 3}, {}, 2));
    WriteText("text.png", "hello, not a picture\n");
    WriteText("broken.y4m", "YUV4MPEG2 W8 H8 C411\nFRAME\n");
    WriteText("short.y4m", "YUV4MPEG2 W8 H8 C444\nFRAME\nabc");
    WriteText("header.y4m", "YUV4MPEG H8\n");
    const std::vector<std::pair<std::string, std::string>> cases = {
        {Path("missing.png"), "missing.png: cannot open"},
        {Path("text.png"), "text.png: not a readable PNG"},
        {Path("odd.png"), "odd.png: 10x8: a movie's width and height must be multiples of 4"},
        {Path("a.png") + " " + Path("b.png"), "b.png: 12x8 differs"},
        {"--y4m " + Path("broken.y4m"), "broken.y4m: the chroma layout C411"},
        {"--y4m " + Path("short.y4m"), "short.y4m: frame 0 is cut short"},
        {"--y4m " + Path("header.y4m"), "header.y4m: not a YUV4MPEG2 stream"},
        {"--keep-sound " + Path("text.png") + " " + Path("a.png"),
         "text.png: cannot open the movie"},
        {Path("a.png") + " --audio 0:" + Path("text.png"), "text.png"},
    };
    WriteText("out.tvk", "kept");
    for (const auto& [arguments, text] : cases) {
        EXPECT_EQ(Run("tavik-encode", "--quality 50 " + Path("out.tvk") + " " + arguments), 1)
            << arguments;
        EXPECT_NE(stderr_.find(text), std::string::npos) << stderr_;
        EXPECT_EQ(std::count(stderr_.begin(), stderr_.end(), '\n'), 1) << stderr_;
        EXPECT_EQ(Read("out.tvk"), std::vector<uint8_t>({'k', 'e', 'p', 't'}));
        EXPECT_FALSE(fs::exists(Path("out.tvk.partial")));
    }
}

}  // namespace
}  // namespace tavik
