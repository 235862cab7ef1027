// Conversion loops over 64 indices at a time with 512-bit byte permutes: a 256-entry byte table
// is four registers, and two two-register permutes and a blend on the index's top bit look up
// 64 pixels at once. Built for x86-64 on Linux; used only where the processor has the
// instructions.
#include "decoder/convert_kernels.h"

#if defined(__x86_64__) && defined(__linux__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>

#define TAVIK_WIDE __attribute__((target("avx512f,avx512bw,avx512vbmi")))

namespace tavik {
namespace {

struct Table {
    __m512i part[4];
};

TAVIK_WIDE Table LoadTable(const uint8_t* table) {
    Table t;
    for (int i = 0; i < 4; ++i) t.part[i] = _mm512_loadu_si512(table + 64 * i);
    return t;
}

// Up to 64 indices (the rest zero), in lane order, with their top bits as a mask.
struct Indices {
    __m512i index;
    __mmask64 high;
};

TAVIK_WIDE Indices LoadIndices(const uint8_t* from, __mmask64 take, __m512i order) {
    const __m512i index =
        _mm512_maskz_permutexvar_epi8(~__mmask64{0}, order, _mm512_maskz_loadu_epi8(take, from));
    return {index, _mm512_movepi8_mask(index)};
}

TAVIK_WIDE __m512i Look(const Table& t, const Indices& at) {
    const __m512i low = _mm512_permutex2var_epi8(t.part[0], at.index, t.part[1]);
    const __m512i top = _mm512_permutex2var_epi8(t.part[2], at.index, t.part[3]);
    return _mm512_mask_blend_epi8(at.high, low, top);
}

// The byte unpacks below work within 128-bit lanes; the indices are first put in the order
// that makes their results come out in pixel order. `group` pixels end up consecutive.
TAVIK_WIDE __m512i LaneOrder(int group) {
    alignas(64) uint8_t order[64];
    const int groups = 16 / group;  // per lane
    for (int lane = 0; lane < 4; ++lane)
        for (int k = 0; k < groups; ++k)
            for (int j = 0; j < group; ++j)
                order[16 * lane + group * k + j] =
                    static_cast<uint8_t>(64 / groups * k + group * lane + j);
    return _mm512_load_si512(order);
}

TAVIK_WIDE __mmask64 CountMask(size_t left) {
    return left >= 64 ? ~__mmask64{0} : (__mmask64{1} << left) - 1;
}

TAVIK_WIDE void WideRun32(const uint8_t* from, size_t count, const uint8_t (*tables)[256],
                          uint8_t* to) {
    const Table t0 = LoadTable(tables[0]), t1 = LoadTable(tables[1]), t2 = LoadTable(tables[2]);
    const __m512i order = LaneOrder(4), opaque = _mm512_set1_epi8(-1);
    for (size_t i = 0; i < count; i += 64, from += 64, to += 256) {
        const __mmask64 take = CountMask(count - i);
        const Indices at = LoadIndices(from, take, order);
        const __m512i b0 = Look(t0, at), b1 = Look(t1, at);
        const __m512i b2 = Look(t2, at);
        const __m512i low01 = _mm512_unpacklo_epi8(b0, b1), high01 = _mm512_unpackhi_epi8(b0, b1);
        const __m512i low23 = _mm512_unpacklo_epi8(b2, opaque);
        const __m512i high23 = _mm512_unpackhi_epi8(b2, opaque);
        const __m512i out[4] = {
            _mm512_unpacklo_epi16(low01, low23), _mm512_unpackhi_epi16(low01, low23),
            _mm512_unpacklo_epi16(high01, high23), _mm512_unpackhi_epi16(high01, high23)};
        for (int k = 0; k < 4; ++k)
            _mm512_mask_storeu_epi32(to + 64 * k, static_cast<__mmask16>(take >> (16 * k)), out[k]);
    }
}

TAVIK_WIDE void WideRun16(const uint8_t* from, size_t count, const uint8_t (*tables)[256],
                          uint8_t* to) {
    const Table t0 = LoadTable(tables[0]), t1 = LoadTable(tables[1]);
    const __m512i order = LaneOrder(8);
    for (size_t i = 0; i < count; i += 64, from += 64, to += 128) {
        const __mmask64 take = CountMask(count - i);
        const Indices at = LoadIndices(from, take, order);
        const __m512i b0 = Look(t0, at), b1 = Look(t1, at);
        _mm512_mask_storeu_epi16(to, static_cast<__mmask32>(take), _mm512_unpacklo_epi8(b0, b1));
        _mm512_mask_storeu_epi16(to + 64, static_cast<__mmask32>(take >> 32),
                                 _mm512_unpackhi_epi8(b0, b1));
    }
}

}  // namespace

const ConvertKernels* WideConvertKernels() {
    static constexpr ConvertKernels kernels{WideRun32, WideRun16};
    __builtin_cpu_init();
    const bool usable = __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
                        __builtin_cpu_supports("avx512vbmi");
    return usable ? &kernels : nullptr;
}

}  // namespace tavik

#else

namespace tavik {
const ConvertKernels* WideConvertKernels() {
    return nullptr;
}
}  // namespace tavik

#endif
