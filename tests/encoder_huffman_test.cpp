// Code construction, bit packing and run lengths of the encoder; byte trees are read back by the
// engine's reader.
#include <gtest/gtest.h>

#include <queue>

#include "encoder/bit_writer.h"
#include "encoder/block_plan.h"
#include "encoder/huffman.h"
#include "video/byte_tree.h"

namespace tavik::enc {
namespace {

uint64_t Cost(const HuffmanCode& code, const std::vector<SymbolCount>& counts) {
    uint64_t bits = 0;
    for (size_t i = 0; i < code.symbols.size(); ++i)
        for (const SymbolCount& c : counts)
            if (c.symbol == code.symbols[i]) bits += c.count * code.lengths[i];
    return bits;
}

// Cost of an unrestricted Huffman code, from the textbook merge.
uint64_t OptimalCost(const std::vector<SymbolCount>& counts) {
    std::priority_queue<uint64_t, std::vector<uint64_t>, std::greater<>> queue;
    for (const SymbolCount& c : counts) queue.push(c.count);
    uint64_t cost = 0;
    while (queue.size() > 1) {
        const uint64_t a = queue.top();
        queue.pop();
        const uint64_t sum = a + queue.top();
        queue.pop();
        cost += sum;
        queue.push(sum);
    }
    return cost;
}

std::vector<SymbolCount> Fibonacci(size_t n) {  // unlimited depth n - 1
    std::vector<SymbolCount> counts;
    for (uint64_t s = 0, a = 1, b = 1; s < n; ++s, b += a, a = b - a)
        counts.push_back({static_cast<uint32_t>(s * 3), a});
    return counts;
}

TEST(EncoderHuffman, CodesAreCompleteWithinTheLimitAndIndependentOfInputOrder) {
    std::vector<SymbolCount> random;
    for (uint32_t s = 0, seed = 7; s < 200; ++s) {
        seed = seed * 1103515245u + 12345u;
        random.push_back({s, 1 + (seed >> 16) % 1000});
    }
    std::vector<SymbolCount> ties = Fibonacci(30);
    ties.push_back({1000, 5});
    ties.push_back({1001, 5});
    struct Case {
        std::vector<SymbolCount> counts;
        unsigned limit;
        bool optimal;  // else within half again of the optimum
    };
    const Case cases[] = {{random, kMaxCodeLength, true}, {Fibonacci(40), 6, false},
                          {Fibonacci(40), 8, false},      {Fibonacci(40), 12, false},
                          {Fibonacci(40), 24, false},     {ties, 12, false}};
    for (const Case& c : cases) {
        const HuffmanCode code = BuildHuffmanCode(c.counts, c.limit);
        double kraft = 0;
        for (uint8_t length : code.lengths) {
            EXPECT_LE(length, c.limit);
            kraft += 1.0 / static_cast<double>(1ull << length);
        }
        EXPECT_DOUBLE_EQ(kraft, 1.0) << c.limit;
        const uint64_t optimum = OptimalCost(c.counts);
        EXPECT_LE(Cost(code, c.counts), c.optimal ? optimum : optimum * 3 / 2) << c.limit;
        const HuffmanCode reversed =
            BuildHuffmanCode({c.counts.rbegin(), c.counts.rend()}, c.limit);
        EXPECT_EQ(reversed.symbols, code.symbols);
        EXPECT_EQ(reversed.lengths, code.lengths);
        EXPECT_EQ(reversed.bits, code.bits);
    }
}

// Packs a byte tree, codes every symbol with it, and reads both back with the engine's reader.
TEST(EncoderHuffman, PackedByteTreeDecodesEveryCode) {
    for (size_t symbols : {size_t{1}, size_t{2}, size_t{3}, size_t{100}, size_t{256}}) {
        std::vector<SymbolCount> counts;
        for (uint32_t s = 0; s < symbols; ++s) counts.push_back({(s * 37) & 0xFF, 1 + s % 9});
        const HuffmanCode code = BuildHuffmanCode(counts);
        BitWriter out;
        out.Put(0x5, 3);  // an unaligned start
        WriteByteTree(out, code);
        uint64_t bitsWritten = 3 + ByteTreeBits(symbols);
        for (size_t i = 0; i < code.symbols.size(); ++i) {
            out.Put(code.bits[i], code.lengths[i]);
            bitsWritten += code.lengths[i];
        }
        EXPECT_EQ(out.BitCount(), bitsWritten);
        const std::vector<uint8_t> bytes = out.Finish(4);
        EXPECT_EQ(bytes.size() % 4, 0u);
        BitReader bits(bytes.data(), static_cast<uint32_t>(bytes.size()));
        EXPECT_EQ(bits.Bits(3), 0x5u);
        uint32_t tree[kByteTreeMaxEntries];
        ASSERT_TRUE(ReadByteTree(bits, tree)) << symbols;
        for (uint32_t symbol : code.symbols) EXPECT_EQ(ReadTreeByte(bits, tree), symbol);
        EXPECT_EQ(bits.pos, bitsWritten);
    }
}

TEST(EncoderRuns, LengthsAndIndicesMatchTheTypeWordTable) {
    EXPECT_EQ(RunLength(58), 59u);
    EXPECT_EQ(RunLength(63), 2048u);
    for (uint32_t index : {0u, 58u, 59u, 60u, 61u, 62u, 63u})
        EXPECT_EQ(RunLengthIndex(RunLength(index)), index);
}

}  // namespace
}  // namespace tavik::enc
