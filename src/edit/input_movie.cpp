#include "edit/input_movie.h"

#include <cstring>

#include "decoder/decoder_state.h"
#include "format/header.h"

namespace tavik::edit {

InputMovie::~InputMovie() {
    TavikDecoderClose(decoder_);
}

bool InputMovie::Open(const std::string& path, std::string& error) {
    path_ = path;
    TavikDecoderClose(decoder_);
    decoder_ = nullptr;
    const TavikStatus status = TavikDecoderOpenFile(path.c_str(), &decoder_);
    if (status != TavikOk) {
        error = path + ": " + TavikStatusText(status);
        return false;
    }
    // Pictures only: the sound is copied as stored or made anew.
    TavikDecoderSetSoundTracks(decoder_, 0);
    TavikDecoderSetLooping(decoder_, 1);  // so that the ring frame follows the last frame
    next_ = 0;
    return true;
}

const TavikHeader& InputMovie::Header() const {
    return decoder_->header;
}

uint32_t InputMovie::FrameTotal() const {
    return static_cast<uint32_t>(decoder_->frameSizes.size());
}

uint32_t InputMovie::HeightScale() const {
    return decoder_->interlaced || decoder_->doubled ? 2 : 1;
}

uint32_t InputMovie::FrameTime() const {
    return decoder_->info.FrameTime;
}

const std::vector<uint32_t>& InputMovie::FrameSizes() const {
    return decoder_->frameSizes;
}

const std::vector<uint8_t>& InputMovie::FrameTypes() const {
    return decoder_->frameTypes;
}

bool InputMovie::TreeBlock(std::vector<uint8_t>& block) const {
    return ReadGrowing(*decoder_->source, TreeBlockOffset(Header()), Header().TreeBlockSize, block);
}

uint8_t* InputMovie::Trees() {
    return decoder_->trees.get();
}

bool InputMovie::ReadFrame(uint32_t i, std::vector<uint8_t>& bytes) const {
    const uint32_t size = decoder_->frameSizes[i];
    if (!ReadGrowing(*decoder_->source, decoder_->frameOffsets[i], size, bytes, 8)) return false;
    std::memset(bytes.data() + size, 0, 8);
    return true;
}

bool InputMovie::Rewind(std::string& error) {
    const TavikStatus status = TavikDecoderSeek(decoder_, 0);
    if (status != TavikOk) {
        error = path_ + ": " + TavikStatusText(status);
        return false;
    }
    next_ = 0;
    return true;
}

bool InputMovie::Next(InputFrame& frame, std::string& error) {
    error.clear();
    if (next_ >= FrameTotal()) return false;
    TavikFrame decoded{};
    const TavikStatus status = TavikDecoderNext(decoder_, &decoded);
    if (status != TavikOk || decoded.Number != next_) {
        error = path_ + ": frame " + std::to_string(next_) + ": " + TavikStatusText(status);
        return false;
    }
    const TavikDecoder& d = *decoder_;
    frame.number = next_++;
    frame.bytes = d.frame.data();
    frame.size = d.frameSizes[frame.number];
    frame.type = d.frameTypes[frame.number];
    frame.chunks = LocateFrameChunks(frame.bytes, frame.size, frame.type, d.header.AudioFormat);
    frame.palette = decoded.Palette;
    frame.picture = decoded.Pixels;
    if (HeightScale() == 2) {
        // The stored rows are the shown picture's even lines.
        const size_t width = d.info.Width;
        stored_.resize(width * StoredHeight());
        for (size_t y = 0; y < StoredHeight(); ++y)
            std::memcpy(stored_.data() + y * width, decoded.Pixels + 2 * y * width, width);
        frame.picture = stored_.data();
    }
    return true;
}

}  // namespace tavik::edit
