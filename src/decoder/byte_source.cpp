#include "decoder/byte_source.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace tavik {
namespace {

class Memory final : public ByteSource {
  public:
    Memory(const void* data, size_t size) : data_(static_cast<const uint8_t*>(data)), size_(size) {}
    bool ReadAt(uint64_t offset, void* destination, size_t count) override {
        if (offset > size_ || count > size_ - offset) return false;
        if (count) std::memcpy(destination, data_ + offset, count);
        return true;
    }

  private:
    const uint8_t* data_;
    size_t size_;
};

// Reads straight on without seeking; seeks only where a read does not follow the last one.
class Reader final : public ByteSource {
  public:
    explicit Reader(const TavikReader& reader) : reader_(reader) {}
    bool ReadAt(uint64_t offset, void* destination, size_t count) override {
        if (offset != position_) {
            position_ = UINT64_MAX;  // unknown until a seek succeeds
            if (!reader_.Seek || reader_.Seek(reader_.User, offset) != 0) return false;
            position_ = offset;
        }
        auto* to = static_cast<uint8_t*>(destination);
        while (count > 0) {
            const size_t got = reader_.Read(reader_.User, to, count);
            if (got == 0 || got > count) {
                position_ = UINT64_MAX;
                return false;
            }
            to += got;
            count -= got;
            position_ += got;
        }
        return true;
    }

  private:
    TavikReader reader_;
    uint64_t position_ = 0;
};

size_t ReadFileBytes(void* user, void* destination, size_t count) {
    return std::fread(destination, 1, count, static_cast<std::FILE*>(user));
}

int SeekFile(void* user, uint64_t offset) {
    auto* file = static_cast<std::FILE*>(user);
#ifdef _WIN32
    return _fseeki64(file, static_cast<long long>(offset), SEEK_SET) == 0 ? 0 : -1;
#else
    if (offset > static_cast<uint64_t>(INT64_MAX)) return -1;
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0 ? 0 : -1;
#endif
}

class File final : public ByteSource {
  public:
    explicit File(std::FILE* file)
        : file_(file), reader_(TavikReader{file, ReadFileBytes, SeekFile}) {}
    ~File() override { std::fclose(file_); }
    File(const File&) = delete;
    File& operator=(const File&) = delete;
    bool ReadAt(uint64_t offset, void* destination, size_t count) override {
        return reader_.ReadAt(offset, destination, count);
    }

  private:
    std::FILE* file_;
    Reader reader_;
};

}  // namespace

bool ReadGrowing(ByteSource& source, uint64_t offset, size_t count, std::vector<uint8_t>& to,
                 size_t spare) {
    constexpr size_t kPiece = 1u << 20;
    size_t done = 0;
    while (done < count) {
        const size_t piece = std::min(kPiece, count - done);
        if (to.size() < done + piece + spare) to.resize(done + piece + spare);
        if (!source.ReadAt(offset + done, to.data() + done, piece)) return false;
        done += piece;
    }
    to.resize(count + spare);
    return true;
}

std::unique_ptr<ByteSource> MemorySource(const void* data, size_t size) {
    return std::make_unique<Memory>(data, size);
}
std::unique_ptr<ByteSource> ReaderSource(const TavikReader& reader) {
    return std::make_unique<Reader>(reader);
}
std::unique_ptr<ByteSource> FileSource(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (!file) return nullptr;
    return std::make_unique<File>(file);
}

}  // namespace tavik
