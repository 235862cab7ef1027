#include "encoder/value_trees.h"

#include <algorithm>
#include <bit>

#include "encoder/recent_values.h"

namespace tavik::enc {

namespace {

// What one leaf of a value tree costs in the tree block, roughly: its node bit, an internal node
// bit, and two byte codes.
constexpr uint64_t kLeafDescriptionBits = 18;

// Symbol counts of one tree's values with the given slots enabled: a value that an enabled slot
// holds is coded with the first such slot's recent-value leaf. Ascending symbols.
std::vector<SymbolCount> CountSymbols(const ValueCounts::Tree& tree, unsigned enabledSlots) {
    std::vector<SymbolCount> used;
    std::array<uint64_t, 3> recent{};
    for (const ValueCounts::Row& row : tree.SortedRows()) {
        uint64_t own = 0;
        for (uint32_t held = 0; held < ValueCounts::kSlotMasks; ++held) {
            const unsigned usable = held & enabledSlots;
            (usable ? recent[std::countr_zero(usable)] : own) += row.counts[held];
        }
        if (own > 0) used.push_back({row.value, own});
    }
    for (uint32_t k = 0; k < 3; ++k)
        if (recent[k] > 0) used.push_back({kRecentSymbol + k, recent[k]});
    return used;
}

uint64_t EstimatedBits(const std::vector<SymbolCount>& symbols) {
    const std::vector<uint8_t> lengths = HuffmanLengths(symbols);
    uint64_t bits = symbols.size() * kLeafDescriptionBits;
    for (size_t i = 0; i < symbols.size(); ++i) bits += symbols[i].count * lengths[i];
    return bits;
}

// The slots whose recent-value leaves make the coded tree smallest. Only slots that some value
// would use with all three enabled are tried (a slot that never matches cannot help), which
// keeps noisy trees with tens of thousands of values to one estimate.
unsigned ChooseSlots(const ValueCounts::Tree& tree, bool useMarkers) {
    if (!useMarkers) return 0;
    unsigned useful = 0;
    for (const ValueCounts::Row& row : tree.SortedRows())
        for (uint32_t held = 1; held < ValueCounts::kSlotMasks; ++held)
            if (row.counts[held] > 0) useful |= 1u << std::countr_zero(held);
    unsigned best = 0;
    uint64_t bestBits = UINT64_MAX;
    for (unsigned slots = 0; slots < 8; ++slots) {
        if ((slots & useful) != slots) continue;
        const uint64_t bits = EstimatedBits(CountSymbols(tree, slots));
        if (bits < bestBits) {
            bestBits = bits;
            best = slots;
        }
    }
    return best;
}

// Marker values. A marker with a recent-value leaf needs a leaf whose value is no coded value;
// its bytes are taken from the coded values where possible, so the byte trees need no extra
// leaves. The markers without one share a value that no leaf has, which the decoder gives spare
// entries. The caller leaves room: coded values plus 3 at most 65536.
std::array<uint16_t, 3> ChooseMarkers(const std::vector<SymbolCount>& used, unsigned enabledSlots) {
    std::vector<uint8_t> taken(65536, 0);
    std::array<bool, 256> lowUsed{}, highUsed{};
    for (const SymbolCount& symbol : used) {
        if (symbol.symbol >= kRecentSymbol) continue;
        const uint32_t v = symbol.symbol;
        taken[v] = 1;
        lowUsed[v & 0xFF] = true;
        highUsed[v >> 8] = true;
    }
    auto firstFree = [&]() {
        uint32_t v = 0;
        while (v < 65535 && taken[v]) ++v;
        return v;
    };
    std::array<uint16_t, 3> markers{};
    for (unsigned k = 0; k < 3; ++k) {
        if (!(enabledSlots >> k & 1u)) continue;
        uint32_t chosen = 65536;
        for (uint32_t high = 0; high < 256 && chosen == 65536; ++high) {
            if (!highUsed[high]) continue;
            for (uint32_t low = 0; low < 256 && chosen == 65536; ++low)
                if (lowUsed[low] && !taken[high << 8 | low]) chosen = high << 8 | low;
        }
        if (chosen == 65536) chosen = firstFree();
        taken[chosen] = 1;
        markers[k] = static_cast<uint16_t>(chosen);
    }
    const uint16_t spare = static_cast<uint16_t>(firstFree());
    for (unsigned k = 0; k < 3; ++k)
        if (!(enabledSlots >> k & 1u)) markers[k] = spare;
    return markers;
}

uint16_t LeafValue(const ValueTreeCode& tree, uint32_t symbol) {
    return symbol >= kRecentSymbol ? tree.markers[symbol - kRecentSymbol]
                                   : static_cast<uint16_t>(symbol);
}

ValueTreeCode BuildValueTree(const ValueCounts::Tree& counts, bool useMarkers) {
    ValueTreeCode tree;
    if (counts.SortedRows().empty()) return tree;
    unsigned slots = ChooseSlots(counts, useMarkers);
    std::vector<SymbolCount> used = CountSymbols(counts, slots);
    const auto coded = std::count_if(used.begin(), used.end(), [](const SymbolCount& symbol) {
        return symbol.symbol < kRecentSymbol;
    });
    if (coded + 3 > 65536 && slots != 0) {  // no room for marker values: code values only
        slots = 0;
        used = CountSymbols(counts, slots);
    }
    tree.present = true;
    for (const SymbolCount& symbol : used)
        if (symbol.symbol >= kRecentSymbol)
            tree.enabledSlots |= 1u << (symbol.symbol - kRecentSymbol);
    tree.markers = ChooseMarkers(used, tree.enabledSlots);
    tree.code = BuildHuffmanCode(std::move(used));
    tree.indexOf.assign(kSymbolCount, -1);
    for (size_t i = 0; i < tree.code.symbols.size(); ++i)
        tree.indexOf[tree.code.symbols[i]] = static_cast<int32_t>(i);
    return tree;
}

// One of the two shared byte-tree stores: the byte tree read into it last.
struct ByteStore {
    bool filled = false;
    std::array<uint8_t, 256> lengths{};
    std::array<uint32_t, 256> bits{};
    std::array<bool, 256> has{};

    void Fill(const HuffmanCode& code) {
        filled = true;
        has.fill(false);
        for (size_t i = 0; i < code.symbols.size(); ++i) {
            has[code.symbols[i]] = true;
            lengths[code.symbols[i]] = code.lengths[i];
            bits[code.symbols[i]] = code.bits[i];
        }
    }
    void Put(BitWriter& out, uint8_t byte) const { out.Put(bits[byte], lengths[byte]); }
};

// Writes the presence bit and, when a new tree pays off against the one in the store, the tree.
void WriteByteTreeFor(const std::array<uint64_t, 256>& counts, ByteStore& store, BitWriter& out) {
    std::vector<SymbolCount> used;
    for (uint32_t b = 0; b < 256; ++b)
        if (counts[b] > 0) used.push_back({b, counts[b]});
    const HuffmanCode code = BuildHuffmanCode(used);
    uint64_t newBits = ByteTreeBits(used.size());
    for (size_t i = 0; i < used.size(); ++i) newBits += code.lengths[i] * counts[code.symbols[i]];
    bool keep = store.filled;
    uint64_t keptBits = 0;
    for (uint32_t b = 0; b < 256 && keep; ++b) {
        if (counts[b] == 0) continue;
        keep = store.has[b];
        keptBits += counts[b] * store.lengths[b];
    }
    if (keep && keptBits <= newBits) {
        out.Bit(false);
        return;
    }
    out.Bit(true);
    WriteByteTree(out, code);
    store.Fill(code);
}

void WriteValueTree(const ValueTreeCode& tree, ByteStore& low, ByteStore& high, BitWriter& out) {
    out.Bit(tree.present);
    if (!tree.present) return;
    std::array<uint64_t, 256> lowCounts{}, highCounts{};
    for (uint32_t symbol : tree.code.symbols) {
        const uint16_t value = LeafValue(tree, symbol);
        ++lowCounts[value & 0xFF];
        ++highCounts[value >> 8];
    }
    WriteByteTreeFor(lowCounts, low, out);
    WriteByteTreeFor(highCounts, high, out);
    for (uint16_t marker : tree.markers) out.Put(marker, 16);
    WriteTreeShape(out, tree.code, [&](uint32_t symbol) {
        const uint16_t value = LeafValue(tree, symbol);
        low.Put(out, static_cast<uint8_t>(value));
        high.Put(out, static_cast<uint8_t>(value >> 8));
    });
}

}  // namespace

const std::vector<ValueCounts::Row>& ValueCounts::Tree::SortedRows() const {
    if (!sorted_) {
        std::sort(rows_.begin(), rows_.end(),
                  [](const Row& a, const Row& b) { return a.value < b.value; });
        for (uint32_t i = 0; i < rows_.size(); ++i) rowOf_[rows_[i].value] = i + 1;
        sorted_ = true;
    }
    return rows_;
}

void ValueCounts::Tree::Add(uint16_t value, uint32_t held) {
    if (rowOf_.empty()) rowOf_.assign(65536, 0);
    uint32_t& row = rowOf_[value];
    if (row == 0) {
        rows_.push_back({value, {}});
        row = static_cast<uint32_t>(rows_.size());
        sorted_ = false;
    }
    ++rows_[row - 1].counts[held];
}

void ValueCounts::AddFrame(const std::vector<uint32_t>& values) {
    std::array<RecentSlots, kValueTreeCount> slots;
    for (uint32_t entry : values) {
        const uint32_t t = ValueTreeOf(entry);
        const uint16_t value = ValueOf(entry);
        const RecentSlots& held = slots[t];
        trees_[t].Add(value, (held.slot[0] == value ? 1u : 0) | (held.slot[1] == value ? 2u : 0) |
                                 (held.slot[2] == value ? 4u : 0));
        slots[t].Decoded(value);
    }
}

bool BuildVideoTrees(const std::vector<FramePlan>& frames, bool useMarkers, VideoTrees& trees,
                     std::string& error) {
    ValueCounts counts;
    for (const FramePlan& frame : frames) counts.AddFrame(frame.values);
    return BuildVideoTrees(counts, useMarkers, trees, error);
}

bool BuildVideoTrees(const ValueCounts& counts, bool useMarkers, VideoTrees& trees,
                     std::string& error) {
    std::vector<uint8_t> stored(65536, 0);
    for (uint32_t t = 0; t < kValueTreeCount; ++t) {
        ValueTreeCode& tree = trees.trees[t];
        tree = BuildValueTree(counts.Of(t), useMarkers);
        trees.sizes[t] = 12;
        if (!tree.present) continue;
        trees.sizes[t] += 4 * (2 * static_cast<uint32_t>(tree.code.symbols.size()) - 1);
        for (uint32_t symbol : tree.code.symbols) stored[symbol >= kRecentSymbol ? 0 : symbol] = 1;
    }
    if (std::find(stored.begin(), stored.end(), 0) == stored.end()) {
        error = "the frames use all 65536 tree values; no free value is left";
        return false;
    }
    BitWriter out;
    ByteStore low, high;
    for (const ValueTreeCode& tree : trees.trees) WriteValueTree(tree, low, high, out);
    trees.block = out.Finish();
    return true;
}

void WriteFrameValues(const VideoTrees& trees, const std::vector<uint32_t>& values,
                      BitWriter& out) {
    std::array<RecentSlots, kValueTreeCount> slots;
    for (uint32_t entry : values) {
        const uint32_t t = ValueTreeOf(entry);
        const uint16_t value = ValueOf(entry);
        const ValueTreeCode& tree = trees.trees[t];
        const int32_t index = tree.indexOf[slots[t].SymbolFor(value, tree.enabledSlots)];
        out.Put(tree.code.bits[index], tree.code.lengths[index]);
        slots[t].Decoded(value);
    }
}

}  // namespace tavik::enc
