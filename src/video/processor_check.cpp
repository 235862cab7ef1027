// The processor check that decides whether the wide pixel loops run.
#include "video/processor_check.h"

#include <atomic>

#include "video/frame_helpers.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace tavik {
namespace {

enum : uint32_t { kHasWide = 1, kDetected = 2, kSwitchedOff = 4 };
enum : uint32_t { kNotAsked = 0, kPlainLoops = 1, kWideLoops = 2 };

// Process-wide and only ever written by the player's thread; relaxed atomics keep tests that
// touch them from several threads free of data races at no cost.
std::atomic<uint32_t> processorState{0};
std::atomic<uint32_t> lastAnswer{kNotAsked};

bool ProcessorHasWideInstructions() {
#if defined(__x86_64__)
    // On x86-64 the alignment-check and identification flags can always be toggled (every such
    // processor is past the 486 and has CPUID), so only the feature bit needs asking.
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    return (edx & (1u << 23)) != 0;
#elif defined(__i386__)
    // __get_cpuid fails when the identification flag cannot be toggled (no CPUID).
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx) == 0) return false;
    return (edx & (1u << 23)) != 0;
#else
    // Elsewhere the wide loops are portable 64-bit-word loops that every processor can run.
    return true;
#endif
}

}  // namespace

uint32_t ProcessorCheck() {
    uint32_t state = processorState.load(std::memory_order_relaxed);
    if ((state & kDetected) == 0) {
        state |= kDetected;
        if (ProcessorHasWideInstructions()) state |= kHasWide;
        processorState.store(state, std::memory_order_relaxed);
    }
    const uint32_t answer = state == (kDetected | kHasWide) ? kWideLoops : kPlainLoops;
    lastAnswer.store(answer, std::memory_order_relaxed);
    return answer;
}

uint32_t UseMMX(uint32_t setting) {
    if (setting == 0) {
        processorState.fetch_or(kSwitchedOff, std::memory_order_relaxed);
    } else if (setting == 1) {
        processorState.fetch_and(~kSwitchedOff, std::memory_order_relaxed);
    }
    return ProcessorCheck() == kWideLoops ? 1 : 0;
}

uint32_t ProcessorAnswer() {
    return lastAnswer.load(std::memory_order_relaxed);
}

uint32_t ProcessorState() {
    return processorState.load(std::memory_order_relaxed);
}

void ResetProcessorCheck() {
    processorState.store(0, std::memory_order_relaxed);
    lastAnswer.store(kNotAsked, std::memory_order_relaxed);
}

}  // namespace tavik
