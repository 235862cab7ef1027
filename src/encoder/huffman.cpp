#include "encoder/huffman.h"

#include <algorithm>
#include <numeric>

namespace tavik::enc {

namespace {

// Code lengths of plain Huffman coding for counts sorted ascending (two-queue construction).
std::vector<unsigned> UnlimitedLengths(const std::vector<uint64_t>& sorted) {
    const size_t n = sorted.size();
    std::vector<unsigned> lengths(n, 0);
    if (n < 2) return lengths;
    std::vector<uint64_t> weight(2 * n - 1);
    std::vector<size_t> parent(2 * n - 1, 0);
    std::copy(sorted.begin(), sorted.end(), weight.begin());
    size_t nextLeaf = 0, nextInternal = n;
    auto takeSmallest = [&](size_t made) {
        // Ties go to the leaf, which keeps the construction deterministic and the tree shallow.
        if (nextLeaf < n && (nextInternal >= made || weight[nextLeaf] <= weight[nextInternal]))
            return nextLeaf++;
        return nextInternal++;
    };
    for (size_t made = n; made < 2 * n - 1; ++made) {
        const size_t a = takeSmallest(made);
        const size_t b = takeSmallest(made);
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
    }
    std::vector<unsigned> depth(2 * n - 1, 0);
    for (size_t node = 2 * n - 1; node-- > 0;)
        if (node != 2 * n - 2) depth[node] = depth[parent[node]] + 1;
    for (size_t i = 0; i < n; ++i) lengths[i] = depth[i];
    return lengths;
}

// Moves leaves up from below maxLength while keeping the code complete: each step takes two
// sibling leaves at the deepest level, lifts one into their parent's place and hangs the other,
// together with a leaf from a shallower level, below that shallower leaf.
void LimitLengthCounts(std::vector<uint32_t>& perLength, unsigned maxLength) {
    for (size_t level = perLength.size() - 1; level > maxLength; --level) {
        while (perLength[level] > 0) {
            size_t shallower = level - 2;
            while (perLength[shallower] == 0) --shallower;
            perLength[level] -= 2;
            perLength[level - 1] += 1;
            perLength[shallower + 1] += 2;
            perLength[shallower] -= 1;
        }
    }
}

// Lengths for counts sorted ascending: the most frequent symbols get the shortest codes.
std::vector<unsigned> LimitedLengths(const std::vector<uint64_t>& sorted, unsigned maxLength) {
    std::vector<unsigned> lengths = UnlimitedLengths(sorted);
    if (sorted.size() < 2) return lengths;
    const unsigned longest = *std::max_element(lengths.begin(), lengths.end());
    if (longest <= maxLength) return lengths;
    std::vector<uint32_t> perLength(longest + 1, 0);
    for (unsigned length : lengths) ++perLength[length];
    LimitLengthCounts(perLength, maxLength);
    size_t symbol = sorted.size();
    for (unsigned length = 1; length <= maxLength; ++length)
        for (uint32_t i = 0; i < perLength[length]; ++i) lengths[--symbol] = length;
    return lengths;
}

// Indices of `counts` in ascending count order, ties by symbol.
std::vector<size_t> AscendingOrder(const std::vector<SymbolCount>& counts) {
    std::vector<size_t> order(counts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (counts[a].count != counts[b].count) return counts[a].count < counts[b].count;
        return counts[a].symbol < counts[b].symbol;
    });
    return order;
}

uint32_t ReverseBits(uint32_t value, unsigned count) {
    uint32_t reversed = 0;
    for (unsigned i = 0; i < count; ++i) reversed |= ((value >> i) & 1u) << (count - 1 - i);
    return reversed;
}

}  // namespace

std::vector<uint8_t> HuffmanLengths(const std::vector<SymbolCount>& counts, unsigned maxLength) {
    const std::vector<size_t> order = AscendingOrder(counts);
    std::vector<uint64_t> sorted(order.size());
    for (size_t i = 0; i < order.size(); ++i) sorted[i] = counts[order[i]].count;
    const std::vector<unsigned> lengths = LimitedLengths(sorted, maxLength);
    std::vector<uint8_t> result(counts.size());
    for (size_t i = 0; i < order.size(); ++i) result[order[i]] = static_cast<uint8_t>(lengths[i]);
    return result;
}

HuffmanCode BuildHuffmanCode(std::vector<SymbolCount> counts, unsigned maxLength) {
    const std::vector<uint8_t> lengths = HuffmanLengths(counts, maxLength);
    std::vector<size_t> order(counts.size());
    std::iota(order.begin(), order.end(), size_t{0});
    std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
        if (lengths[a] != lengths[b]) return lengths[a] < lengths[b];
        return counts[a].symbol < counts[b].symbol;
    });
    HuffmanCode code;
    code.symbols.reserve(order.size());
    code.lengths.reserve(order.size());
    code.bits.reserve(order.size());
    // Canonical assignment: consecutive code values within a length, shifted at each new length.
    uint32_t next = 0;
    unsigned previousLength = 0;
    for (size_t index : order) {
        const unsigned length = lengths[index];
        if (!code.symbols.empty()) ++next;
        next <<= (length - previousLength);
        previousLength = length;
        code.symbols.push_back(counts[index].symbol);
        code.lengths.push_back(static_cast<uint8_t>(length));
        code.bits.push_back(ReverseBits(next, length));
    }
    return code;
}

void WriteByteTree(BitWriter& out, const HuffmanCode& code) {
    WriteTreeShape(out, code, [&](uint32_t symbol) { out.Put(symbol, 8); });
}

}  // namespace tavik::enc
