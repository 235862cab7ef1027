// The smoothing tables against an exhaustive nearest-colour search.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <tuple>
#include <vector>

#include "blit/smoothing_table.h"
#include "blit_reference.h"

namespace tavik {
namespace {

// Random palettes, palettes drawn from a few colours so that ties and repeats abound, and
// palettes of four levels per channel.
TEST(BlitSmoothingTable, EightBitIsTheNearestAverage) {
    std::mt19937 random(99);
    for (int kind = 0; kind < 3; ++kind) {
        std::vector<uint8_t> palette = testing::RandomBytes(random, 768);
        const auto few = testing::RandomBytes(random, 3 * 12);
        for (int i = 0; i < 256 && kind == 1; ++i)
            std::copy_n(&few[3 * (random() % 12)], 3, &palette[3 * i]);
        for (auto& channel : palette) channel &= kind == 2 ? 0xC0 : 0xFF;
        std::vector<uint8_t> table(65536);
        BuildSmoothingTable8(table.data(), palette.data());
        for (int a = 0; a < 256; ++a) {
            ASSERT_EQ(table[a * 256 + a], a);
            for (int b = a + 1; b < 256; ++b) {
                // The nearest colour to the halved sums, every candidate tried; ties go to the
                // lowest red, then the lowest index.
                int target[3];
                for (int k = 0; k < 3; ++k)
                    target[k] = (palette[3 * a + k] + palette[3 * b + k]) / 2;
                std::tuple<int, int, int> best{1 << 30, 0, 0};  // distance, red, index
                for (int c = 0; c < 256; ++c) {
                    int distance = 0;
                    for (int k = 0; k < 3; ++k)
                        distance +=
                            (target[k] - palette[3 * c + k]) * (target[k] - palette[3 * c + k]);
                    best = std::min(best, std::make_tuple(distance, int(palette[3 * c]), c));
                }
                ASSERT_EQ(table[a * 256 + b], table[b * 256 + a]);
                ASSERT_EQ(table[a * 256 + b], std::get<2>(best))
                    << "kind " << kind << " pair " << a << "," << b;
            }
        }
    }
}

TEST(BlitSmoothingTable, SixteenBitAveragesHalvedChannels) {
    std::mt19937 random(5);
    const auto palette = testing::RandomBytes(random, 768);
    for (const bool sixFiveFive : {false, true}) {
        std::vector<uint16_t> table(65536);
        BuildSmoothingTable16(table.data(), palette.data(), sixFiveFive);
        const auto colours = testing::ReferenceColourTable(palette.data(), sixFiveFive);
        for (int a = 0; a < 256; ++a) {
            ASSERT_EQ(table[a * 256 + a], colours[a]);
            for (int b = 0; b < 256; ++b) {
                auto half = [&](int k) { return palette[3 * a + k] / 2 + palette[3 * b + k] / 2; };
                ASSERT_EQ(table[a * 256 + b],
                          testing::ReferencePixel(half(0), half(1), half(2), sixFiveFive))
                    << a << "," << b;
            }
        }
    }
}

}  // namespace
}  // namespace tavik
