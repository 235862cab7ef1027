// The embedding interface's decoder beside the engine's movie, on the same file.
#include "player/desktop/frame_source.h"

namespace tavik {

size_t FrameSource::Read(void* user, void* destination, size_t count) {
    return std::fread(destination, 1, count, static_cast<FrameSource*>(user)->file_);
}

int FrameSource::Seek(void* user, uint64_t offset) {
    auto* self = static_cast<FrameSource*>(user);
    return fseeko(self->file_, static_cast<off_t>(self->offset_ + offset), SEEK_SET) == 0;
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

bool FrameSource::SoundOffset(uint32_t number, int t, uint64_t* offset) {
    return decoder_ != nullptr && t >= 0 &&
           TavikDecoderSoundOffset(decoder_, number, static_cast<uint32_t>(t), offset) == TavikOk;
}

bool FrameSource::CollectSound(uint32_t from, uint32_t to, uint32_t tracks,
                               std::array<std::vector<uint8_t>, 7>& sound) {
    for (std::vector<uint8_t>& s : sound) s.clear();
    if (decoder_ == nullptr || (from < to && TavikDecoderSeek(decoder_, from) != TavikOk))
        return false;
    for (uint32_t n = from; n < to; ++n) {
        if (TavikDecoderNext(decoder_, &frame_) != TavikOk || frame_.Number != n) return false;
        for (int t = 0; t < 7; ++t)
            if ((tracks >> t & 1) && frame_.Sound[t] != nullptr)
                sound[t].insert(sound[t].end(), frame_.Sound[t],
                                frame_.Sound[t] + frame_.SoundBytes[t]);
    }
    return true;
}

}  // namespace tavik
