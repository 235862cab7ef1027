// Key codes: the one-byte codes the player window queues for keys and the close request, and
// the 64-entry queue the main loop reads them from.
#pragma once

#include <cstdint>

namespace tavik {

inline constexpr uint8_t kKeyEnter = 13;
inline constexpr uint8_t kKeyEscape = 27;
inline constexpr uint8_t kKeySpace = 32;
inline constexpr uint8_t kKeyPeriod = 46;
inline constexpr uint8_t kKeyShiftTab = 137;
inline constexpr uint8_t kKeyClose = 241;

// Virtual keys the mapping knows.
inline constexpr uint32_t kVirtualF1 = 0x70;
inline constexpr uint32_t kVirtualF9 = 0x78;
inline constexpr uint32_t kVirtualF10 = 0x79;
inline constexpr uint32_t kVirtualPageUp = 0x21;
inline constexpr uint32_t kVirtualDown = 0x28;
inline constexpr uint32_t kVirtualInsert = 0x2D;
inline constexpr uint32_t kVirtualDelete = 0x2E;

// Each gives the code, or -1 when the key has none (it then gets default handling).
int KeyCodeForChar(uint32_t character, bool shift);
int KeyCodeForKeyDown(uint32_t key, bool shift, bool ctrl);
int KeyCodeForSysKeyDown(uint32_t key, bool altContext);

class KeyQueue {
  public:
    static constexpr uint32_t kCapacity = 64;
    // Adds a code at the end; a full queue drops it.
    void Push(uint8_t code);
    bool Empty() const { return count_ == 0; }
    uint32_t Count() const { return count_; }
    // The oldest code (call only when not empty).
    uint8_t Pop();
    void Clear() { count_ = 0; }

  private:
    uint8_t codes_[kCapacity] = {};
    uint32_t count_ = 0;
};

}  // namespace tavik
