// The movie core's allocator: 32-byte-aligned blocks whose distance to the heap block is kept
// in the byte just before them.
#include <cstdlib>

#include "core/movie_internal.h"

namespace tavik {

void* AllocCounted(TavikMovie* movie, uint32_t size, uint32_t counted) {
    if (size == 0 || size == 0xFFFFFFFFu) return nullptr;
    auto* raw = static_cast<uint8_t*>(std::malloc(static_cast<size_t>(size) + 32));
    if (!raw) return nullptr;
    const uintptr_t address = reinterpret_cast<uintptr_t>(raw);
    const uintptr_t aligned = (address + 32) & ~static_cast<uintptr_t>(31);
    auto* block = reinterpret_cast<uint8_t*>(aligned);
    block[-1] = static_cast<uint8_t>(aligned - address);
    if (movie) {
        movie->MemUsed += counted;
        if (movie->MemUsed > movie->MemHighest) movie->MemHighest = movie->MemUsed;
    }
    return block;
}

void ReleaseCounted(TavikMovie* movie, void* block, uint32_t counted) {
    if (!block) return;
    if (movie) movie->MemUsed -= counted;
    TavikFree(block);
}

}  // namespace tavik

extern "C" {

void* TavikAlloc(TavikMovie* movie, uint32_t size) {
    return tavik::AllocCounted(movie, size, size);
}

void TavikFree(void* block) {
    if (!block) return;
    auto* aligned = static_cast<uint8_t*>(block);
    std::free(aligned - aligned[-1]);
}
}
