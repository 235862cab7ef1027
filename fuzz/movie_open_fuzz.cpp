// Opening any bytes as a movie: refused cleanly or opened and closed without a fault.
#include "memory_system.h"
#include "tavik/tavik.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tavik::fuzz::InstallMemorySystem(data, size);
    TavikClose(TavikOpen("movie", 0, TAVIK_CHOOSE_RING_SIZE));
    return 0;
}
