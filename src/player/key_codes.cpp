// The key code table of the player window.
#include "player/key_codes.h"

namespace tavik {

int KeyCodeForChar(uint32_t character, bool shift) {
    if (character == 9 && shift) return kKeyShiftTab;
    return static_cast<uint8_t>(character);
}

int KeyCodeForKeyDown(uint32_t key, bool shift, bool ctrl) {
    if (key >= kVirtualF1 && key <= kVirtualF10) {
        if (shift) return static_cast<int>(key + 106);
        if (ctrl) return static_cast<int>(key + 116);
        return static_cast<int>(key + 96);
    }
    if ((key >= kVirtualPageUp && key <= kVirtualDown) || key == kVirtualInsert ||
        key == kVirtualDelete) {
        return static_cast<int>(key + 128);
    }
    return -1;
}

int KeyCodeForSysKeyDown(uint32_t key, bool altContext) {
    if (key == kVirtualF10) return altContext ? 247 : 217;
    if (key >= kVirtualF1 && key <= kVirtualF9) return static_cast<int>(key + 126);
    return -1;
}

void KeyQueue::Push(uint8_t code) {
    if (count_ < kCapacity) codes_[count_++] = code;
}

uint8_t KeyQueue::Pop() {
    const uint8_t code = codes_[0];
    for (uint32_t i = 1; i < count_; ++i) codes_[i - 1] = codes_[i];
    --count_;
    return code;
}

}  // namespace tavik
