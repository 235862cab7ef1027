// Writes PCM to a RIFF WAVE file: a 44-byte header, then the data as it comes; the header's
// sizes are filled in when the file is finished.
#pragma once

#include <cstdint>
#include <cstdio>

namespace tavik {

class WavWriter {
  public:
    WavWriter() = default;
    ~WavWriter() { Finish(); }
    WavWriter(const WavWriter&) = delete;
    WavWriter& operator=(const WavWriter&) = delete;

    // False when the file cannot be created; the writer then stays closed.
    bool Open(const char* path, uint32_t channels, uint32_t sampleRate, uint32_t bitsPerSample);
    // Data beyond what a WAVE file can count (4 GB less its header) is dropped.
    void Append(const uint8_t* data, uint32_t count);
    // Fills in the sizes and closes the file; nothing when not open.
    void Finish();
    bool IsOpen() const { return file_ != nullptr; }

  private:
    std::FILE* file_ = nullptr;
    uint32_t dataBytes_ = 0;
};

}  // namespace tavik
