// Where a decoder's bytes come from: a block of memory, the caller's reader, or a file.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "tavik/decoder.h"

namespace tavik {

class ByteSource {
  public:
    virtual ~ByteSource() = default;
    // Reads exactly `count` bytes at `offset` from the movie's first byte; false when they are
    // not all there or the source fails.
    virtual bool ReadAt(uint64_t offset, void* destination, size_t count) = 0;
};

// Reads `count` bytes at `offset` into `to` (resized to hold them), in pieces, so that a length
// that a damaged file claims costs memory only for the bytes that are really there.
bool ReadGrowing(ByteSource& source, uint64_t offset, size_t count, std::vector<uint8_t>& to,
                 size_t spare = 0);

std::unique_ptr<ByteSource> MemorySource(const void* data, size_t size);
std::unique_ptr<ByteSource> ReaderSource(const TavikReader& reader);
// Null when the file cannot be opened.
std::unique_ptr<ByteSource> FileSource(const char* path);

}  // namespace tavik
