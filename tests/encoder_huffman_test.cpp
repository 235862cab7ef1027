// Code construction and bit packing of the encoder, checked against the reference reader.
#include <gtest/gtest.h>

#include <queue>

#include "encoder/bit_writer.h"
#include "encoder/huffman.h"
#include "encoder_reference_reader.h"

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
        const uint64_t b = queue.top();
        queue.pop();
        cost += a + b;
        queue.push(a + b);
    }
    return cost;
}

double KraftSum(const HuffmanCode& code) {
    double sum = 0;
    for (uint8_t length : code.lengths) sum += 1.0 / static_cast<double>(1ull << length);
    return sum;
}

std::vector<SymbolCount> Fibonacci(size_t n) {
    std::vector<SymbolCount> counts;
    uint64_t a = 1, b = 1;
    for (uint32_t s = 0; s < n; ++s) {
        counts.push_back({s * 3, a});
        const uint64_t next = a + b;
        a = b;
        b = next;
    }
    return counts;
}

TEST(EncoderHuffman, UnlimitedCodesAreOptimalAndComplete) {
    std::vector<SymbolCount> counts;
    uint32_t seed = 7;
    for (uint32_t s = 0; s < 200; ++s) {
        seed = seed * 1103515245u + 12345u;
        counts.push_back({s, 1 + (seed >> 16) % 1000});
    }
    const HuffmanCode code = BuildHuffmanCode(counts);
    EXPECT_EQ(Cost(code, counts), OptimalCost(counts));
    EXPECT_DOUBLE_EQ(KraftSum(code), 1.0);
}

TEST(EncoderHuffman, LengthLimitKeepsTheCodeCompleteAndNearOptimal) {
    const std::vector<SymbolCount> counts = Fibonacci(40);  // unlimited depth would be 39
    for (unsigned limit : {6u, 8u, 12u, 24u}) {
        const HuffmanCode code = BuildHuffmanCode(counts, limit);
        for (uint8_t length : code.lengths) EXPECT_LE(length, limit);
        EXPECT_DOUBLE_EQ(KraftSum(code), 1.0);
        EXPECT_LE(Cost(code, counts), OptimalCost(counts) * 3 / 2);
    }
}

TEST(EncoderHuffman, ResultDoesNotDependOnInputOrder) {
    std::vector<SymbolCount> counts = Fibonacci(30);
    counts.push_back({1000, 5});
    counts.push_back({1001, 5});
    const HuffmanCode a = BuildHuffmanCode(counts, 12);
    std::reverse(counts.begin(), counts.end());
    const HuffmanCode b = BuildHuffmanCode(counts, 12);
    EXPECT_EQ(a.symbols, b.symbols);
    EXPECT_EQ(a.lengths, b.lengths);
    EXPECT_EQ(a.bits, b.bits);
}

// Packs a byte tree, codes every symbol with it, and reads both back with the reference reader.
TEST(EncoderHuffman, PackedByteTreeDecodesEveryCode) {
    for (size_t symbols : {size_t{1}, size_t{2}, size_t{3}, size_t{100}, size_t{256}}) {
        std::vector<SymbolCount> counts;
        for (uint32_t s = 0; s < symbols; ++s) counts.push_back({(s * 37) & 0xFF, 1 + s % 9});
        const HuffmanCode code = BuildHuffmanCode(counts);
        BitWriter out;
        out.Put(0x5, 3);  // an unaligned start
        WriteByteTree(out, code);
        for (size_t i = 0; i < code.symbols.size(); ++i) out.Put(code.bits[i], code.lengths[i]);
        const uint64_t bitsWritten = out.BitCount();
        EXPECT_EQ(
            bitsWritten, 3 + ByteTreeBits(symbols) + [&] {
                uint64_t n = 0;
                for (uint8_t l : code.lengths) n += l;
                return n;
            }());
        const std::vector<uint8_t> bytes = out.Finish(4);
        EXPECT_EQ(bytes.size() % 4, 0u);
        test::RefBits bits{bytes.data(), bytes.size()};
        EXPECT_EQ(bits.Bits(3), 0x5u);
        test::RefByteTree tree;
        ASSERT_TRUE(tree.Read(bits)) << symbols;
        EXPECT_LE(tree.nodes.size(), 511u);
        for (uint32_t symbol : code.symbols) EXPECT_EQ(tree.Decode(bits), symbol);
        EXPECT_EQ(bits.pos, bitsWritten);
    }
}

TEST(EncoderHuffman, BitWriterPacksLeastSignificantBitFirst) {
    BitWriter out;
    out.Put(1, 1);
    out.Put(0, 2);
    out.Put(0x1F, 5);     // completes byte 0: 11111001
    out.Put(0x1234, 16);  // a 16-bit field: low byte first
    out.Put(0xABCDEF01u, 32);
    EXPECT_EQ(out.Finish(), (std::vector<uint8_t>{0xF9, 0x34, 0x12, 0x01, 0xEF, 0xCD, 0xAB}));
}

}  // namespace
}  // namespace tavik::enc
