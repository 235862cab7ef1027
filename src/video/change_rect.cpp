// The search over the change map for the rectangles to copy after a frame. Each map byte is a
// group of 16 blocks (64 pixels of one block row); a group may run past the end of a block row
// and go on at the start of the next, which is what the pending state carries over.
#include "video/frame_helpers.h"

namespace tavik {

namespace {

constexpr uint32_t kGroupPixels = 64;
constexpr uint32_t kBlockLines = 4;

class ChangeSearch {
  public:
    ChangeSearch(TavikDestDesc* dest, uint32_t* rect)
        : it_(dest->iterator), map_(ChangeMap(dest)), rect_(rect) {
        // The map holds one byte per group plus the closing byte; anything past it reads as 0
        // so that an iterator whose sizes disagree with the map cannot lead the search outside.
        const uint64_t blocks = uint64_t{it_.width / 4} * (it_.height / 4);
        mapBytes_ = (blocks + 15) / 16 + 1;
    }

    uint32_t Next() {
        if (it_.done) return 0;
        if (it_.width == 0 || it_.height == 0) return Finish();
        if (it_.pending) return ResumeRowCrossingGroup();
        if (!it_.started) {
            it_.position = map_;
            it_.started = 1;
        }
        if (it_.y >= it_.height) return Finish();
        while (Changed(0) == 0) {
            ++it_.position;
            it_.x += kGroupPixels;
            while (it_.x >= it_.width) {
                it_.x -= it_.width;
                it_.y += kBlockLines;
                if (it_.y >= it_.height) return Finish();
            }
        }
        Start(it_.x, 0);
        return Extend();
    }

  private:
    uint32_t Finish() {
        it_.done = 1;
        return 0;
    }

    uint8_t Changed(uint32_t ahead) const {
        const uint64_t index = static_cast<uint64_t>(it_.position - map_) + ahead;
        return index < mapBytes_ ? map_[index] : 0;
    }

    void Start(uint32_t x, uint32_t width) {
        rect_[0] = x;
        rect_[1] = it_.y;
        rect_[2] = width;
        rect_[3] = kBlockLines;
    }

    // Grows the rectangle from the group at the search position, group by group, until an
    // unchanged group or the end of the block row.
    uint32_t Extend() {
        for (;;) {
            if (it_.x + kGroupPixels < it_.width) {
                rect_[2] += kGroupPixels;
                ++it_.position;
                it_.x += kGroupPixels;
                if (Changed(0) == 0) return 1;
                continue;
            }
            rect_[2] += it_.width - it_.x;
            it_.y += kBlockLines;
            ++it_.position;
            it_.x = it_.x + kGroupPixels - it_.width;
            if (it_.x != 0) it_.pending = 1;
            return 1;
        }
    }

    // The part of a group that went on past the end of the previous block row.
    uint32_t ResumeRowCrossingGroup() {
        if (it_.y >= it_.height) return Finish();
        if (it_.x < it_.width) {
            it_.pending = 0;
            Start(0, it_.x);
            // Looking two groups ahead keeps a lone unchanged group inside the rectangle.
            if (Changed(0) != 0 || Changed(1) != 0) return Extend();
            return 1;
        }
        // A picture narrower than a group: the whole row belongs to it.
        Start(0, it_.width);
        it_.x -= it_.width;
        it_.y += kBlockLines;
        return 1;
    }

    ChangeIterator& it_;
    const uint8_t* map_;
    uint32_t* rect_;
    uint64_t mapBytes_;
};

}  // namespace

uint32_t ChangeMapSize(uint32_t width, uint32_t height) {
    return static_cast<uint32_t>(uint64_t{width} * height / 256 + 32);
}

uint32_t NextChangeRect(TavikDestDesc* dest, uint32_t* rect) {
    return ChangeSearch(dest, rect).Next();
}

}  // namespace tavik
