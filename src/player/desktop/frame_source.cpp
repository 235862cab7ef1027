// The embedding interface's decoder beside the engine's movie, on the same file.
#include "player/desktop/frame_source.h"

namespace tavik {

size_t FrameSource::Read(void* user, void* destination, size_t count) {
    return std::fread(destination, 1, count, static_cast<FrameSource*>(user)->file_);
}

int FrameSource::Seek(void* user, uint64_t offset) {
    auto* self = static_cast<FrameSource*>(user);
#ifdef _WIN32
    return _fseeki64(self->file_, static_cast<__int64>(self->offset_ + offset), SEEK_SET) == 0;
#else
    return fseeko(self->file_, static_cast<off_t>(self->offset_ + offset), SEEK_SET) == 0;
#endif
}

bool FrameSource::Open(const std::string& path, uint64_t offset) {
    Close();
    if (offset == 0) return TavikDecoderOpenFile(path.c_str(), &decoder_) == TavikOk;
    file_ = std::fopen(path.c_str(), "rb");
    if (file_ == nullptr) return false;
    offset_ = offset;
    const TavikReader reader{this, Read, Seek};
    if (!Seek(this, 0) || TavikDecoderOpenReader(&reader, &decoder_) != TavikOk) {
        Close();
        return false;
    }
    return true;
}

void FrameSource::Close() {
    if (decoder_ != nullptr) TavikDecoderClose(decoder_);
    if (file_ != nullptr) std::fclose(file_);
    decoder_ = nullptr;
    file_ = nullptr;
}

const TavikFrame* FrameSource::Frame(uint32_t number) {
    if (decoder_ == nullptr || TavikDecoderSeek(decoder_, number) != TavikOk) return nullptr;
    if (TavikDecoderNext(decoder_, &frame_) != TavikOk || frame_.Number != number) return nullptr;
    return &frame_;
}

}  // namespace tavik
