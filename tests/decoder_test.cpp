// The embedding interface: every conformance movie through every way of opening it, seeking
// into it with its sound, converting its pictures, on several threads at once, its failures,
// damaged movies and limits.
#include "tavik/decoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "decoder/convert_kernels.h"

namespace {

std::vector<uint8_t> ReadWhole(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::string Path(const std::string& name) {
    return std::string(TAVIK_CONFORMANCE_DIR) + "/" + name;
}

const struct Expectation {
    const char* movie;
    const char* dir;
    uint32_t frames;
} kExpectations[] = {
    {"blocks_64x48", "blocks_64x48.expect", 12},
    {"runs_320x200", "runs_320x200.expect", 8},
    {"ring_100x64", "ring_100x64.expect_wrap", 11},
    {"interlaced_160x60", "interlaced_160x60.expect", 8},
    {"tracks7_160x120", "tracks7_160x120.expect", 8},
    {"palette_160x120", "palette_160x120.expect_wrap", 10},
};

struct Source {
    std::vector<uint8_t> bytes;
    size_t position = 0;
};
size_t ReadSource(void* user, void* to, size_t count) {
    auto* s = static_cast<Source*>(user);
    // Short reads, as a pipe or an archive gives them.
    const size_t n = std::min({count, s->bytes.size() - s->position, size_t{1000}});
    std::memcpy(to, s->bytes.data() + s->position, n);
    s->position += n;
    return n;
}
int SeekSource(void* user, uint64_t offset) {
    auto* s = static_cast<Source*>(user);
    if (offset > s->bytes.size()) return -1;
    s->position = static_cast<size_t>(offset);
    return 0;
}

enum class Way { File, Memory, Reader };

TavikDecoder* Open(Way way, const std::string& movie, Source& source) {
    TavikDecoder* d = nullptr;
    source.bytes = ReadWhole(Path(movie + ".tvk"));
    const TavikReader reader{&source, ReadSource, SeekSource};
    const TavikStatus status =
        way == Way::File     ? TavikDecoderOpenFile(Path(movie + ".tvk").c_str(), &d)
        : way == Way::Memory ? TavikDecoderOpenMemory(source.bytes.data(), source.bytes.size(), &d)
                             : TavikDecoderOpenReader(&reader, &d);
    EXPECT_EQ(status, TavikOk) << movie;
    return d;
}

// Pictures as RGB and each track's sound, over `frames` frames of play.
struct Played {
    std::vector<std::vector<uint8_t>> pictures;
    std::vector<uint8_t> sound[7];
};

Played Play(TavikDecoder* d, uint32_t frames) {
    const TavikInfo* info = TavikDecoderGetInfo(d);
    TavikDecoderSetLooping(d, frames > info->FrameCount);
    Played p;
    TavikFrame frame;
    for (uint32_t i = 0; i < frames; ++i) {
        EXPECT_EQ(TavikDecoderNext(d, &frame), TavikOk);
        std::vector<uint8_t>& rgb = p.pictures.emplace_back(size_t{info->Width} * info->Height * 3);
        EXPECT_EQ(TavikConvertFrame(&frame, info, TavikRGB24, rgb.data(), info->Width * 3),
                  TavikOk);
        for (int t = 0; t < 7; ++t)
            if (frame.Sound[t])
                p.sound[t].insert(p.sound[t].end(), frame.Sound[t],
                                  frame.Sound[t] + frame.SoundBytes[t]);
    }
    return p;
}

// Checks the pictures and sound played from `d` against the expected ones.
void ExpectAsExpected(const Expectation& e, TavikDecoder* d, const Played& p) {
    for (uint32_t i = 0; i < e.frames; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame_%05u.ppm", i);
        const auto ppm = ReadWhole(Path(e.dir) + name);  // 8-bit binary: pixels last
        ASSERT_GE(ppm.size(), p.pictures[i].size());
        ASSERT_EQ(p.pictures[i], decltype(ppm)(ppm.end() - p.pictures[i].size(), ppm.end()))
            << e.movie << " " << i;
    }
    for (int t = 0; t < 7; ++t) {
        const auto wav = ReadWhole(Path(e.dir) + "/track_" + std::to_string(t) + ".wav");
        EXPECT_EQ(!wav.empty(), TavikDecoderGetInfo(d)->Tracks[t].Present) << e.movie << t;
        if (!wav.empty()) {
            EXPECT_EQ(p.sound[t], std::vector<uint8_t>(wav.begin() + 44, wav.end()))
                << e.movie << " track " << t;
        }
    }
}

TEST(Decoder, ConformanceMoviesDecodeExactlyThroughEveryWayOfOpening) {
    for (const Expectation& e : kExpectations) {
        for (Way way : {Way::File, Way::Memory, Way::Reader}) {
            Source source;
            TavikDecoder* d = Open(way, e.movie, source);
            ASSERT_NE(d, nullptr);
            ExpectAsExpected(e, d, Play(d, e.frames));
            TavikFrame frame;
            if (e.frames == TavikDecoderGetInfo(d)->FrameCount) {
                EXPECT_EQ(TavikDecoderNext(d, &frame), TavikEndOfMovie);
            }
            TavikDecoderClose(d);
        }
    }
}

TEST(Decoder, SeekingShowsEachFrameAsTheFirstPassDoes) {
    for (const Expectation& e : kExpectations) {
        Source source;
        TavikDecoder* d = Open(Way::Reader, e.movie, source);
        const uint32_t count = TavikDecoderGetInfo(d)->FrameCount;
        const Played straight = Play(d, count);
        // Backwards, then forwards by jumps, each seek followed by a frame of play whose sound
        // lies in the track's sound where its offset says, and by the sound that plays with the
        // frame: the straight sound from the frame's time on.
        std::vector<uint32_t> order;
        for (uint32_t n = count; n-- > 0;) order.push_back(n);
        for (uint32_t n = 0; n < count; n += 3) order.push_back(n);
        for (uint32_t n : order) {
            uint64_t at[7];
            for (uint32_t t = 0; t < 7; ++t)
                ASSERT_EQ(TavikDecoderSoundOffset(d, n, t, &at[t]), TavikOk);
            ASSERT_EQ(TavikDecoderSeek(d, n), TavikOk);
            for (int t = 0; t < 7; ++t) {
                const TavikTrackInfo& track = TavikDecoderGetInfo(d)->Tracks[t];
                if (!track.Present) continue;
                const uint64_t sample = track.Channels * track.Bits / 8;
                uint64_t from =
                    uint64_t{n} * TavikDecoderGetInfo(d)->FrameTime * track.Rate * sample / 100000;
                from = std::min<uint64_t>(from - from % sample, straight.sound[t].size());
                std::vector<uint8_t> read(3000);
                size_t got = 0;
                const TavikStatus status = TavikDecoderReadSound(d, t, read.data(), 3000, &got);
                ASSERT_EQ(got, std::min<uint64_t>(3000, straight.sound[t].size() - from));
                EXPECT_EQ(status, got ? TavikOk : TavikEndOfMovie);
                EXPECT_TRUE(
                    std::equal(read.begin(), read.begin() + got, straight.sound[t].begin() + from))
                    << e.movie << " frame " << n << " track " << t;
            }
            const Played one = Play(d, 1);
            EXPECT_EQ(one.pictures[0], straight.pictures[n]) << e.movie << " frame " << n;
            for (int t = 0; t < 7; ++t) {
                ASSERT_LE(at[t] + one.sound[t].size(), straight.sound[t].size());
                EXPECT_TRUE(std::equal(one.sound[t].begin(), one.sound[t].end(),
                                       straight.sound[t].begin() + at[t]))
                    << e.movie << " frame " << n << " track " << t;
            }
        }
        uint64_t total = 0;
        EXPECT_EQ(TavikDecoderSoundOffset(d, count, 0, &total), TavikOk);
        EXPECT_EQ(total, straight.sound[0].size());
        EXPECT_EQ(TavikDecoderSoundOffset(d, count + 1, 0, &total), TavikErrorArgument);
        EXPECT_EQ(TavikDecoderSeek(d, count), TavikErrorArgument);
        TavikDecoderClose(d);
    }
}

// Sound in playing order, in pieces that cross chunk boundaries, to its end; looping does not
// wrap it and pictures do not move it.
TEST(Decoder, SoundReadsInPlayingOrderToItsEnd) {
    for (const char* movie : {"tracks7_160x120", "ring_100x64"}) {
        Source source;
        TavikDecoder* d = Open(Way::Memory, movie, source);
        const uint32_t count = TavikDecoderGetInfo(d)->FrameCount;
        const Played straight = Play(d, count);
        TavikDecoderSetLooping(d, 1);
        for (int t = 0; t < 7; ++t) {
            std::vector<uint8_t> all, piece(777);
            size_t got = 0;
            TavikStatus status;
            while ((status = TavikDecoderReadSound(d, t, piece.data(), piece.size(), &got)) ==
                   TavikOk) {
                all.insert(all.end(), piece.begin(), piece.begin() + got);
                if (got < piece.size()) break;
                TavikFrame frame;
                ASSERT_EQ(TavikDecoderNext(d, &frame), TavikOk);
            }
            EXPECT_EQ(all, straight.sound[t]) << movie << " track " << t;
            EXPECT_EQ(TavikDecoderReadSound(d, t, piece.data(), piece.size(), &got),
                      TavikEndOfMovie);
            EXPECT_EQ(got, 0u);
        }
        size_t got = 1;
        EXPECT_EQ(TavikDecoderReadSound(d, 7, nullptr, 0, &got), TavikErrorArgument);
        EXPECT_EQ(TavikDecoderReadSound(d, 0, nullptr, 10, &got), TavikErrorArgument);
        TavikDecoderClose(d);
    }
}

// A damaged frame is reported on the frame; limits refuse a movie before it costs anything.
TEST(Decoder, DamageIsReportedAndLimitsRefuseEarly) {
    std::vector<uint8_t> movie = ReadWhole(Path("tracks7_160x120.tvk"));
    auto u32 = [&](size_t at) {
        return uint32_t{movie[at]} | movie[at + 1] << 8 | movie[at + 2] << 16 |
               uint32_t{movie[at + 3]} << 24;
    };
    const uint32_t frames = u32(12), treeBlock = u32(52);
    size_t at = 104 + 5 * frames + treeBlock + u32(104);  // frame 1
    const uint8_t type = movie[104 + 4 * frames + 1];
    ASSERT_TRUE(type & 2) << "frame 1 carries sound of track 0";
    if (type & 1) at += movie[at] * 4;
    movie[at + 3] = 0x7F;  // its chunk now runs far past the frame
    TavikDecoder* d = nullptr;
    ASSERT_EQ(TavikDecoderOpenMemory(movie.data(), movie.size(), &d), TavikOk);
    TavikFrame frame;
    ASSERT_EQ(TavikDecoderNext(d, &frame), TavikOk);
    EXPECT_EQ(frame.Damage, 0u);
    ASSERT_EQ(TavikDecoderNext(d, &frame), TavikOk);
    EXPECT_EQ(frame.Damage, uint32_t{TavikDamageSound | TavikDamagePicture});
    EXPECT_EQ(frame.Sound[0], nullptr);
    TavikDecoderClose(d);

    // A header that claims 16384 x 16384 opens (the picture is made at the first frame) unless
    // a limit says no; the limits are checked having read the header and no more.
    movie = ReadWhole(Path("blocks_64x48.tvk"));
    for (int i = 0; i < 2; ++i) movie[5 + 4 * i] = 0x40, movie[4 + 4 * i] = 0;
    Source source{movie};
    size_t reads = 0;
    struct Counted {
        Source* source;
        size_t* reads;
    } counted{&source, &reads};
    const TavikReader reader{&counted,
                             [](void* user, void* to, size_t count) {
                                 auto* c = static_cast<Counted*>(user);
                                 ++*c->reads;
                                 return ReadSource(c->source, to, count);
                             },
                             [](void* user, uint64_t offset) {
                                 return SeekSource(static_cast<Counted*>(user)->source, offset);
                             }};
    const TavikDecoderLimits limits[] = {{4096, 0, 0}, {0, 4096, 0}, {0, 0, 64u << 20}};
    for (const TavikDecoderLimits& limit : limits) {
        reads = 0;
        source.position = 0;
        EXPECT_EQ(TavikDecoderOpenReaderLimited(&reader, &limit, &d), TavikErrorLimit);
        EXPECT_EQ(d, nullptr);
        EXPECT_EQ(reads, 1u);  // the header, in one read
    }
    ASSERT_EQ(TavikDecoderOpenMemory(movie.data(), movie.size(), &d), TavikOk);
    EXPECT_EQ(TavikDecoderGetInfo(d)->Width, 16384u);
    TavikDecoderClose(d);
    // Within the limits, the movie plays as without them.
    movie = ReadWhole(Path("tracks7_160x120.tvk"));
    const TavikDecoderLimits roomy{160, 120, 8u << 20};
    ASSERT_EQ(TavikDecoderOpenMemoryLimited(movie.data(), movie.size(), &roomy, &d), TavikOk);
    ExpectAsExpected(kExpectations[4], d, Play(d, kExpectations[4].frames));
    TavikDecoderClose(d);
}

TEST(Decoder, ConvertsToEveryFormatAtAnyPitch) {
    Source source;
    TavikDecoder* d = Open(Way::Memory, "palette_160x120", source);
    const TavikInfo* info = TavikDecoderGetInfo(d);
    const uint32_t w = info->Width, h = info->Height;
    TavikFrame frame;
    ASSERT_EQ(TavikDecoderNext(d, &frame), TavikOk);
    std::vector<uint8_t> rgb(size_t{w} * h * 3);
    ASSERT_EQ(TavikConvertFrame(&frame, info, TavikRGB24, rgb.data(), w * 3), TavikOk);
    for (TavikPixelFormat format : {TavikRGBA32, TavikBGRA32, TavikRGB565}) {
        const size_t bpp = format == TavikRGB565 ? 2 : 4, pitch = w * bpp + 12;
        std::vector<uint8_t> out(pitch * h);
        // Bottom-up: the first line at the end, a negative pitch.
        ASSERT_EQ(TavikConvertFrame(&frame, info, format, out.data() + pitch * (h - 1),
                                    -static_cast<ptrdiff_t>(pitch)),
                  TavikOk);
        for (uint32_t i = 0; i < w * h; ++i) {
            const uint8_t* c = &rgb[i * 3];
            const uint16_t v =
                static_cast<uint16_t>((c[0] >> 3) << 11 | (c[1] >> 2) << 5 | c[2] >> 3);
            const bool bgr = format == TavikBGRA32;
            const uint8_t want[4] = {bpp == 2 ? uint8_t(v) : c[bgr ? 2 : 0],
                                     bpp == 2 ? uint8_t(v >> 8) : c[1], c[bgr ? 0 : 2], 255};
            ASSERT_EQ(std::memcmp(&out[pitch * (h - 1 - i / w) + i % w * bpp], want, bpp), 0)
                << format << " " << i;
        }
    }
    EXPECT_EQ(TavikConvertFrame(&frame, info, TavikRGBA32, rgb.data(), w * 4 - 1),
              TavikErrorArgument);
    TavikDecoderClose(d);
}

TEST(Decoder, DecodersOnSeveralThreadsDecodeExactly) {
    std::vector<std::thread> threads;
    for (size_t t = 0; t < 4; ++t)
        threads.emplace_back([t] {
            for (size_t i = 0; i < 3 * std::size(kExpectations); ++i) {
                const Expectation& e = kExpectations[(i + t) % std::size(kExpectations)];
                Source source;
                TavikDecoder* d = Open(Way::Reader, e.movie, source);
                ExpectAsExpected(e, d, Play(d, e.frames));
                TavikDecoderClose(d);
            }
        });
    for (std::thread& t : threads) t.join();
}

TEST(Decoder, FailuresAreNamedAndLeaveNoDecoder) {
    TavikDecoder* d = reinterpret_cast<TavikDecoder*>(1);
    EXPECT_EQ(TavikDecoderOpenFile("/nonexistent/movie.tvk", &d), TavikErrorIo);
    EXPECT_EQ(d, nullptr);
    const std::vector<uint8_t> movie = ReadWhole(Path("blocks_64x48.tvk"));
    std::vector<uint8_t> broken = movie;
    broken[0] = 'X';
    EXPECT_EQ(TavikDecoderOpenMemory(broken.data(), broken.size(), &d), TavikErrorFormat);
    EXPECT_EQ(TavikDecoderOpenMemory(movie.data(), 60, &d), TavikErrorFormat);
    EXPECT_EQ(TavikDecoderOpenMemory(nullptr, 10, &d), TavikErrorArgument);
    EXPECT_EQ(d, nullptr);
    // A file cut inside its frames opens and reports the missing frames as unreadable.
    ASSERT_EQ(TavikDecoderOpenMemory(movie.data(), movie.size() - 2000, &d), TavikOk);
    TavikFrame frame;
    TavikStatus last = TavikOk;
    for (int i = 0; i < 12; ++i) last = TavikDecoderNext(d, &frame);
    EXPECT_EQ(last, TavikErrorIo);
    EXPECT_EQ(TavikDecoderNext(d, &frame), TavikEndOfMovie);
    TavikDecoderClose(d);
    for (TavikStatus s : {TavikOk, TavikEndOfMovie, TavikErrorIo, TavikErrorFormat,
                          TavikErrorMemory, TavikErrorArgument, TavikErrorLimit})
        EXPECT_GT(std::strlen(TavikStatusText(s)), 5u);
}

}  // namespace

// The wide conversion loops give what the portable ones give, for every run length around
// their 64-pixel step and for every index; one byte past the run shows a write beyond it.
TEST(Decoder, WideConversionLoopsMatchThePortableOnes) {
    const tavik::ConvertKernels* wide = tavik::WideConvertKernels();
    if (!wide) GTEST_SKIP() << "this processor has no wide conversion loops";
    const tavik::ConvertKernels& portable = tavik::PortableConvertKernels();
    alignas(64) uint8_t tables[3][256];
    std::vector<uint8_t> from(300);
    for (int i = 0; i < 256; ++i)
        for (int b = 0; b < 3; ++b) tables[b][i] = static_cast<uint8_t>(i * (7 + 2 * b) + b);
    for (size_t i = 0; i < from.size(); ++i) from[i] = static_cast<uint8_t>(i * 151 + 3);
    for (size_t count : {0, 1, 63, 64, 65, 127, 128, 200, 300}) {
        std::vector<uint8_t> a(count * 4 + 1, 0xEE), b = a, c(count * 2 + 1, 0xEE), e = c;
        wide->run32(from.data(), count, tables, a.data());
        portable.run32(from.data(), count, tables, b.data());
        wide->run16(from.data(), count, tables, c.data());
        portable.run16(from.data(), count, tables, e.data());
        EXPECT_EQ(a, b) << count << " pixels of 4 bytes";
        EXPECT_EQ(c, e) << count << " pixels of 2 bytes";
    }
}
