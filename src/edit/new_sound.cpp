#include "edit/new_sound.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "encoder/audio_chunk.h"

namespace tavik::edit {

namespace {

// A second of lead in frame 0, as the encoder gives a new track.
constexpr uint64_t kLeadMs = 1000;

std::string Seconds(double seconds) {
    char text[32];
    std::snprintf(text, sizeof text, "%.2f s", seconds);
    return text;
}

}  // namespace

std::vector<uint8_t> ConvertPcm(const std::vector<uint8_t>& pcm, const enc::AudioTrackFormat& from,
                                const enc::AudioTrackFormat& to) {
    const uint32_t inChannels = from.stereo ? 2 : 1, outChannels = to.stereo ? 2 : 1;
    const uint32_t inBytes = from.is16Bit ? 2 : 1, outBytes = to.is16Bit ? 2 : 1;
    const size_t frames = pcm.size() / (inChannels * inBytes);
    auto sample = [&](size_t frame, uint32_t channel) {
        const size_t at = (frame * inChannels + channel) * inBytes;
        if (!from.is16Bit) return (pcm[at] - 128) / 128.0f;
        return static_cast<int16_t>(pcm[at] | pcm[at + 1] << 8) / 32768.0f;
    };
    // Channel c of the output at source frame `frame`.
    auto mixed = [&](size_t frame, uint32_t c) {
        if (inChannels == outChannels) return sample(frame, c);
        if (inChannels == 1) return sample(frame, 0);
        return (sample(frame, 0) + sample(frame, 1)) / 2;
    };
    const double step = static_cast<double>(from.rate) / to.rate;
    const size_t outFrames = frames == 0 ? 0 : static_cast<size_t>(frames / step);
    std::vector<uint8_t> out;
    out.reserve(outFrames * outChannels * outBytes);
    for (size_t i = 0; i < outFrames; ++i) {
        const double at = i * step;
        for (uint32_t c = 0; c < outChannels; ++c) {
            float v = 0;
            if (step > 1) {  // the mean over the stretch this output sample stands for
                const size_t first = static_cast<size_t>(at);
                const size_t last = std::min(frames, static_cast<size_t>(at + step));
                for (size_t f = first; f < std::max(last, first + 1); ++f) v += mixed(f, c);
                v /= static_cast<float>(std::max<size_t>(last - first, 1));
            } else {
                const size_t f = static_cast<size_t>(at);
                const float t = static_cast<float>(at - static_cast<double>(f));
                v = mixed(f, c) * (1 - t) + (f + 1 < frames ? mixed(f + 1, c) : mixed(f, c)) * t;
            }
            if (to.is16Bit) {
                const long s = std::clamp(std::lround(v * 32768.0f), -32768L, 32767L);
                out.push_back(static_cast<uint8_t>(s));
                out.push_back(static_cast<uint8_t>(static_cast<uint16_t>(s) >> 8));
            } else {
                out.push_back(
                    static_cast<uint8_t>(std::clamp(std::lround(v * 128.0f) + 128, 0L, 255L)));
            }
        }
    }
    return out;
}

TrackSound::TrackSound(const NewSound& sound, const enc::AudioTrackFormat& format,
                       const std::optional<enc::AudioTrackFormat>& storedFormat,
                       const std::vector<int64_t>& stored, uint32_t frameCount, uint32_t frameTotal,
                       uint32_t frameTime, std::vector<std::string>& messages)
    : format_(format), begin_(frameTotal, 0), bytes_(frameTotal, 0), present_(frameTotal, 0) {
    const bool same = sound.source.rate == format.rate && sound.source.stereo == format.stereo &&
                      sound.source.is16Bit == format.is16Bit;
    pcm_ = same ? sound.pcm : ConvertPcm(sound.pcm, sound.source, format);
    const uint64_t frameBytes = enc::SampleFrameBytes(format);
    pcm_.resize(pcm_.size() / frameBytes * frameBytes);

    // Each chunk carries the sound from the end of the one before up to the point where the
    // stored track's chunks (or, for a new track, the frames' times plus the lead) have reached.
    const uint64_t soundFrames = pcm_.size() / frameBytes;
    const uint64_t lead = uint64_t{format.rate} * kLeadMs / 1000;
    uint64_t position = 0, carried = 0;
    for (uint32_t i = 0; i < frameTotal; ++i) {
        uint64_t end = position;
        if (!stored.empty() && stored[i] >= 0) {
            present_[i] = 1;
            carried += static_cast<uint64_t>(stored[i]) / enc::SampleFrameBytes(*storedFormat);
            end = carried * format.rate / storedFormat->rate;
        } else if (stored.empty() && i < frameCount && position < soundFrames) {
            present_[i] = 1;
            end = (uint64_t{i} + 1) * format.rate * frameTime / 100000 + lead;
        }
        begin_[i] = position * frameBytes;
        bytes_[i] = static_cast<uint32_t>((end - position) * frameBytes);
        maxChunk_ = std::max(maxChunk_, bytes_[i]);
        position = end;
    }
    const uint64_t capacity =
        stored.empty() ? uint64_t{frameCount} * format.rate * frameTime / 100000 + lead : position;

    const double perSecond = static_cast<double>(format.rate) * static_cast<double>(frameBytes);
    const double length = static_cast<double>(pcm_.size()) / perSecond;
    const double room = static_cast<double>(capacity * frameBytes) / perSecond;
    const double frameSeconds = frameTime / 100000.0;
    const std::string track = "track " + std::to_string(sound.track);
    if (length > room + frameSeconds)
        messages.push_back(sound.name + ": the sound lasts " + Seconds(length) + ", " + track +
                           " only " + Seconds(room) + ": the rest is left out");
    else if (length + frameSeconds < room)
        messages.push_back(sound.name + ": the sound lasts " + Seconds(length) + ", " + track +
                           " " + Seconds(room) + ": silence follows its end");
}

std::vector<uint8_t> TrackSound::Chunk(uint32_t frame) const {
    std::vector<uint8_t> pcm(bytes_[frame], format_.is16Bit ? 0x00 : 0x80);
    const uint64_t begin = std::min<uint64_t>(begin_[frame], pcm_.size());
    const uint64_t end = std::min<uint64_t>(begin_[frame] + bytes_[frame], pcm_.size());
    std::copy(pcm_.begin() + static_cast<ptrdiff_t>(begin),
              pcm_.begin() + static_cast<ptrdiff_t>(end), pcm.begin());
    return enc::EncodeAudioChunk(pcm, format_);
}

}  // namespace tavik::edit
