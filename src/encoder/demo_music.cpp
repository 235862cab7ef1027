#include "encoder/demo_music.h"

namespace tavik::enc {

namespace {

constexpr uint32_t kStepSamples = 5512;  // an eighth note at 120 beats per minute
constexpr uint32_t kAttackSamples = 120;

// Four bars of eighth notes (MIDI note numbers, 0 a rest): C, A minor, F, G.
constexpr uint8_t kMelody[32] = {72, 76, 79, 76, 84, 79, 76, 79, 69, 72, 76, 72, 81, 76, 72, 0,
                                 65, 69, 72, 77, 76, 72, 69, 72, 67, 71, 74, 79, 77, 74, 71, 0};
// One bass note per quarter: root and octave of each bar's chord.
constexpr uint8_t kBass[16] = {36, 48, 36, 48, 33, 45, 33, 45, 29, 41, 29, 41, 31, 43, 31, 43};

// The twelve notes of the octave from middle C up, in hundredths of a hertz.
constexpr uint32_t kCentiHertz[12] = {26163, 27718, 29366, 31113, 32963, 34923,
                                      36999, 39200, 41530, 44000, 46616, 49388};

// Phase advance per sample of a 32-bit phase accumulator for a MIDI note.
uint32_t PhaseStep(uint32_t note) {
    const int octave = static_cast<int>(note / 12) - 5;  // 0 for the octave of middle C
    const uint64_t step =
        (static_cast<uint64_t>(kCentiHertz[note % 12]) << 32) / (uint64_t{kDemoSampleRate} * 100);
    return static_cast<uint32_t>(octave >= 0 ? step << octave : step >> -octave);
}

// 0..256: a quick rise, then a quadratic fall over `length` samples.
int32_t Envelope(uint32_t at, uint32_t length) {
    if (at >= length) return 0;
    const int32_t rest = static_cast<int32_t>((length - at) * 256 / length);
    int32_t level = rest * rest / 256;
    if (at < kAttackSamples) level = level * static_cast<int32_t>(at) / kAttackSamples;
    return level;
}

// -32768..32767 from the phase.
int32_t Triangle(uint32_t phase) {
    const int32_t p = static_cast<int32_t>(phase >> 16);
    return p < 32768 ? 2 * p - 32768 : 2 * (65535 - p) - 32768;
}

}  // namespace

std::vector<uint8_t> DemoMusic(uint32_t samples) {
    std::vector<uint8_t> pcm(samples);
    uint32_t melodyPhase = 0, bassPhase = 0;
    uint16_t noise = 0xACE1;
    for (uint32_t i = 0; i < samples; ++i) {
        const uint32_t step = i / kStepSamples, inStep = i % kStepSamples;
        const uint32_t note = kMelody[step % 32];
        int32_t mix = 0;
        if (note != 0) {
            melodyPhase += PhaseStep(note);
            const int32_t pulse = (melodyPhase >> 30) == 0 ? 1 : -1;  // a quarter duty cycle
            mix += pulse * Envelope(inStep, kStepSamples) * 30 / 256;
        }
        const uint32_t quarter = i / (2 * kStepSamples), inQuarter = i % (2 * kStepSamples);
        bassPhase += PhaseStep(kBass[quarter % 16]);
        mix += Triangle(bassPhase) * Envelope(inQuarter, 2 * kStepSamples) / 256 * 40 / 32768;
        noise = static_cast<uint16_t>(noise >> 1 ^ (-(noise & 1u) & 0xB400u));
        if (step % 2 == 1) mix += ((noise & 1) ? 1 : -1) * Envelope(inStep, 900) * 12 / 256;
        pcm[i] = static_cast<uint8_t>(128 + mix);  // |mix| stays below 90
    }
    return pcm;
}

}  // namespace tavik::enc
