// The self-play block lives in the program's initialised data so that a tool can find it by
// its markers in the executable's bytes and patch it.
#include "player/self_play.h"

#include <cstring>

namespace {

struct SelfPlayBlock {
    char marker[8];
    char field[tavik::kSelfPlayFieldSize];
    char tail[8];
    int32_t frameInCaption;
    int32_t unused;
    int32_t displayResolution;
};

}  // namespace

// Not const and marked used, so that compiler and linker keep it, in writable data, and never
// fold its contents into the code: the bytes are patched in the file after linking.
extern "C" {
[[gnu::used]] SelfPlayBlock tavik_self_play_block = {{'S', 'E', 'L', 'F', 'P', 'L', 'A', 'Y'},
                                                     {},
                                                     {'T', 'A', 'V', 'I', 'K', 'P', 'L', '!'},
                                                     0,
                                                     0,
                                                     0};
}

namespace tavik {

namespace {

// Reads through a volatile pointer so the optimiser cannot assume the initial bytes.
std::string ReadField() {
    const volatile char* field = tavik_self_play_block.field;
    std::string text;
    for (uint32_t i = 0; i < kSelfPlayFieldSize && field[i] != '\0'; ++i) text += field[i];
    return text;
}

}  // namespace

std::string SelfPlayField() {
    return ReadField();
}

int32_t SelfPlayFrameInCaption() {
    return *static_cast<const volatile int32_t*>(&tavik_self_play_block.frameInCaption);
}

int32_t SelfPlayDisplayResolution() {
    return *static_cast<const volatile int32_t*>(&tavik_self_play_block.displayResolution);
}

void SetSelfPlayFieldForTesting(const std::string& text) {
    std::memset(tavik_self_play_block.field, 0, kSelfPlayFieldSize);
    std::memcpy(tavik_self_play_block.field, text.data(),
                text.size() < kSelfPlayFieldSize ? text.size() : kSelfPlayFieldSize - 1);
}

bool IsSelfPlayName(const std::string& name) {
    return !name.empty() && name[0] == ':';
}

bool SelfPlayOffset(const std::string& name, uint32_t* offset) {
    if (!IsSelfPlayName(name) || name.size() < 2) return false;
    uint64_t value = 0;
    for (size_t i = 1; i < name.size(); ++i) {
        if (name[i] < '0' || name[i] > '9') return false;
        value = value * 10 + static_cast<uint64_t>(name[i] - '0');
        if (value > 0xFFFFFFFFu) return false;
    }
    *offset = static_cast<uint32_t>(value);
    return true;
}

}  // namespace tavik
