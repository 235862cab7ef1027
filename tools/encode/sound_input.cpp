#include "encode/sound_input.h"

#include <algorithm>
#include <memory>

#ifdef TAVIK_HAVE_SNDFILE
#include <sndfile.h>
#else
#include <fstream>
#include <iterator>

#include "encode/wave_file.h"
#endif

namespace tavik::tools {

#ifdef TAVIK_HAVE_SNDFILE

bool ReadSound(const AudioSource& source, Sound& sound, std::string& error) {
    auto fail = [&](const std::string& why) {
        error = source.path + ": " + why;
        return false;
    };
    SF_INFO info{};
    std::unique_ptr<SNDFILE, int (*)(SNDFILE*)> file(sf_open(source.path.c_str(), SFM_READ, &info),
                                                     sf_close);
    if (!file) return fail(sf_strerror(nullptr));
    if (info.channels < 1 || info.channels > 2)
        return fail("only mono and stereo sound can be stored");
    if (info.samplerate < 1 || info.samplerate > 0xFFFFFF) return fail("unsupported sample rate");
    if (info.frames > (1 << 28) / info.channels) return fail("too long");
    const int subtype = info.format & SF_FORMAT_SUBMASK;
    sound.format.rate = static_cast<uint32_t>(info.samplerate);
    sound.format.stereo = info.channels == 2;
    sound.format.is16Bit = subtype != SF_FORMAT_PCM_U8 && subtype != SF_FORMAT_PCM_S8;
    sound.format.compressed = !source.plain;
    std::vector<short> samples(static_cast<size_t>(info.frames) * info.channels);
    const sf_count_t got = sf_readf_short(file.get(), samples.data(), info.frames);
    if (got != info.frames) return fail("read error");
    for (short s : samples) {
        const auto value = static_cast<uint16_t>(s);
        if (sound.format.is16Bit) {
            sound.pcm.push_back(static_cast<uint8_t>(value));
            sound.pcm.push_back(static_cast<uint8_t>(value >> 8));
        } else {
            sound.pcm.push_back(static_cast<uint8_t>((value >> 8) ^ 0x80));
        }
    }
    return true;
}

#else

bool ReadSound(const AudioSource& source, Sound& sound, std::string& error) {
    std::ifstream file(source.path, std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(file), {}};
    if (!file) error = "cannot be read";
    if (!file || !ParseWave(bytes.data(), bytes.size(), sound.format, sound.pcm, error)) {
        error = source.path + ": " + error;
        return false;
    }
    sound.format.compressed = !source.plain;
    return true;
}

#endif

void SpreadSound(enc::MovieSpec& plan, int track, const Sound& sound, uint32_t leadMs) {
    const uint64_t ticks =
        plan.frameRate > 0 ? uint64_t(plan.frameRate) * 100 : uint64_t(-int64_t{plan.frameRate});
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
}

}  // namespace tavik::tools
