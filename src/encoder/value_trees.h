// The four video value trees: choosing their codes from the movie's values, packing them into
// the tree block, and coding a frame's values with them.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "encoder/bit_writer.h"
#include "encoder/block_plan.h"
#include "encoder/huffman.h"

namespace tavik::enc {

struct ValueTreeCode {
    bool present = false;
    unsigned enabledSlots = 0;          // bit k: a recent-value leaf for slot k + 1 exists
    std::array<uint16_t, 3> markers{};  // the marker values written to the tree block
    HuffmanCode code;                   // over values and recent-value symbols (recent_values.h)
    std::vector<int32_t> indexOf;       // symbol -> index in `code`, -1 when not coded
};

// A movie's values as its trees are built from them, counted frame by frame so that a long movie
// need not keep them all: per tree and value, how often it was coded while each combination of
// the recent-value slots held it.
class ValueCounts {
  public:
    static constexpr uint32_t kSlotMasks = 8;
    struct Row {
        uint16_t value;
        // [h]: the times the value was coded while slot k + 1 held it for exactly the bits k of h.
        std::array<uint64_t, kSlotMasks> counts;
    };
    class Tree {
      public:
        void Add(uint16_t value, uint32_t held);
        // One row per value coded, by ascending value.
        const std::vector<Row>& SortedRows() const;

      private:
        mutable std::vector<Row> rows_;
        mutable std::vector<uint32_t> rowOf_;  // value -> row + 1, 0 = not coded
        mutable bool sorted_ = true;
    };

    void AddFrame(const std::vector<uint32_t>& values);
    const Tree& Of(uint32_t tree) const { return trees_[tree]; }

  private:
    std::array<Tree, kValueTreeCount> trees_;
};

struct VideoTrees {
    std::array<ValueTreeCode, kValueTreeCount> trees;
    std::array<uint32_t, kValueTreeCount> sizes{};  // bytes of each built node array
    std::vector<uint8_t> block;                     // the packed tree block
};

// Builds codes for the values of all frames. Fails (with a reason) only when the values leave
// no free value (see free_value.h).
bool BuildVideoTrees(const std::vector<FramePlan>& frames, bool useMarkers, VideoTrees& trees,
                     std::string& error);
bool BuildVideoTrees(const ValueCounts& counts, bool useMarkers, VideoTrees& trees,
                     std::string& error);

// Codes one frame's values; the recent-value slots start afresh, as in the decoder.
void WriteFrameValues(const VideoTrees& trees, const std::vector<uint32_t>& values, BitWriter& out);

}  // namespace tavik::enc
