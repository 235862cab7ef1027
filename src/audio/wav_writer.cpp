#include "audio/wav_writer.h"

#include <cstring>

namespace tavik {
namespace {

constexpr uint32_t kHeaderBytes = 44;
constexpr uint32_t kMaxData = 0xFFFFFFFFu - kHeaderBytes;

void Put16(uint8_t* at, uint32_t value) {
    at[0] = static_cast<uint8_t>(value);
    at[1] = static_cast<uint8_t>(value >> 8);
}
void Put32(uint8_t* at, uint32_t value) {
    Put16(at, value & 0xFFFF);
    Put16(at + 2, value >> 16);
}

}  // namespace

bool WavWriter::Open(const char* path, uint32_t channels, uint32_t sampleRate,
                     uint32_t bitsPerSample) {
    Finish();
    if (!path) return false;
    file_ = std::fopen(path, "wb");
    if (!file_) return false;
    const uint32_t blockAlign = channels * bitsPerSample / 8;
    uint8_t header[kHeaderBytes] = {'R', 'I', 'F', 'F', 0,   0,   0,  0, 'W', 'A',
                                    'V', 'E', 'f', 'm', 't', ' ', 16, 0, 0,   0};
    Put16(header + 20, 1);  // PCM
    Put16(header + 22, channels);
    Put32(header + 24, sampleRate);
    Put32(header + 28, sampleRate * blockAlign);
    Put16(header + 32, blockAlign);
    Put16(header + 34, bitsPerSample);
    std::memcpy(header + 36, "data", 4);
    Put32(header + 4, 36);  // sizes of an empty file, patched by Finish
    dataBytes_ = 0;
    if (std::fwrite(header, 1, kHeaderBytes, file_) != kHeaderBytes) {
        std::fclose(file_);
        file_ = nullptr;
        return false;
    }
    return true;
}

void WavWriter::Append(const uint8_t* data, uint32_t count) {
    if (!file_ || !count) return;
    if (count > kMaxData - dataBytes_) count = kMaxData - dataBytes_;
    dataBytes_ += static_cast<uint32_t>(std::fwrite(data, 1, count, file_));
}

void WavWriter::Finish() {
    if (!file_) return;
    uint8_t sizes[4];
    Put32(sizes, dataBytes_ + 36);
    if (std::fseek(file_, 4, SEEK_SET) == 0) std::fwrite(sizes, 1, 4, file_);
    Put32(sizes, dataBytes_);
    if (std::fseek(file_, 40, SEEK_SET) == 0) std::fwrite(sizes, 1, 4, file_);
    std::fclose(file_);
    file_ = nullptr;
}

}  // namespace tavik
