// Fuzzes the SubRip reader with a whole file.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "edit/subrip.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<tavik::edit::SubRipCue> cues;
    std::string error;
    const bool read = tavik::edit::ParseSubRip(
        std::string_view(reinterpret_cast<const char*>(data), size), cues, error);
    if (!read && error.empty()) __builtin_trap();  // a refusal always says why
    return 0;
}
