#include "encode/sound_input.h"

#include <algorithm>
#include <cmath>
#include <memory>

#include "format/header.h"

#ifdef TAVIK_HAVE_SNDFILE
#include <sndfile.h>
#endif

namespace tavik::tools {

#ifdef TAVIK_HAVE_SNDFILE

namespace {

// Samples of all channels together; more than any movie carries.
constexpr sf_count_t kLongestSound = sf_count_t{1} << 28;

// A sample read as a fraction of full scale (integers are read as value / 2^(bits-1), float
// samples as they are) to a signed sample of `bits` bits: rounded, and clipped rather than
// wrapped where a float sample goes beyond full scale.
int ToSample(double fraction, int bits) {
    const double full = bits == 8 ? 128.0 : 32768.0;
    if (std::isnan(fraction)) return 0;
    return static_cast<int>(std::clamp(std::round(fraction * full), -full, full - 1));
}

}  // namespace

bool ReadSound(const AudioSource& source, Sound& sound, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = source.path + ": " + why;
        return false;
    };
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(source.path.c_str(), SFM_READ, &info),
                                                     sf_close);
    if (!file) return fail(std::string("cannot read the sound: ") + sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        return fail("only mono and stereo sound can be stored");
    if (info.samplerate < 1 || info.samplerate > 0xFFFFFF) return fail("unsupported sample rate");
    if (info.frames > kLongestSound / info.channels) return fail("too long");
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    sound.format.rate = static_cast<uint32_t>(info.samplerate);
    sound.format.stereo = info.channels == 2;
    sound.format.is16Bit = subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_S8;
    sound.format.compressed = !source.plain;
    const int bits = sound.format.is16Bit ? 16 : 8;
    // Read as fractions of full scale, which every sample format converts to without loss of
    // the 16 bits kept.
    std::vector<double> block(size_t{4096} * info.channels);
    sf_count_t total = 0;
    for (;;) {
        const sf_count_t got = sf_readf_double(file.get(), block.data(), 4096);
        if (got <= 0) break;
        total += got;
        if (total > kLongestSound / info.channels) return fail("too long");
        for (size_t i = 0; i < static_cast<size_t>(got) * info.channels; ++i) {
            const int sample = ToSample(block[i], bits);
            if (bits == 16) {
                sound.pcm.push_back(static_cast<uint8_t>(sample & 0xFF));
                sound.pcm.push_back(static_cast<uint8_t>((sample >> 8) & 0xFF));
            } else {
                sound.pcm.push_back(static_cast<uint8_t>(sample + 128));
            }
        }
    }
    if (sf_error(file.get()) != SF_ERR_NO_ERROR)
        return fail(std::string("cannot read the sound: ") + sf_strerror(file.get()));
    if (total < info.frames) return fail("the sound ends before its stated length");
    return true;
}

#else

bool ReadSound(const AudioSource& source, Sound&, std::string& error) {
    error = source.path + ": this program was built without sound file support";
    return false;
}

#endif

uint64_t SpreadSound(enc::MovieSpec& plan, int track, const Sound& sound, uint32_t leadMs) {
    const uint64_t ticks = FrameTimeTicks(plan.frameRate);
    const uint32_t frameBytes = (sound.format.stereo ? 2 : 1) * (sound.format.is16Bit ? 2 : 1);
    const uint64_t total = sound.pcm.size() / frameBytes;
    const uint64_t lead = uint64_t{sound.format.rate} * leadMs / 1000;
    auto due = [&](uint64_t frame) { return frame * sound.format.rate * ticks / 100000 + lead; };
    plan.tracks[track] = sound.format;
    for (uint64_t i = 0; i < plan.frames.size(); ++i) {
        const uint64_t begin = i == 0 ? 0 : due(i);
        const uint64_t end = std::min(due(i + 1), total);
        if (begin >= total) break;
        plan.frames[i].audio[track] = std::vector<uint8_t>(sound.pcm.begin() + begin * frameBytes,
                                                           sound.pcm.begin() + end * frameBytes);
    }
    const uint64_t carried = plan.frames.empty() ? 0 : due(plan.frames.size());
    return total > carried ? total - carried : 0;
}

}  // namespace tavik::tools
