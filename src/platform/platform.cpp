// The backend in use.
#include "platform/platform.h"

#include "platform/headless/headless_platform.h"

namespace tavik {

namespace {
const PlatformOps* g_platform = nullptr;
}

const PlatformOps& Platform() {
    return g_platform != nullptr ? *g_platform : HeadlessPlatform();
}

void SetPlatform(const PlatformOps* ops) {
    g_platform = ops;
}

void StandardStaticColours(PaletteEntry* entries) {
    static const uint8_t kLow[10][3] = {
        {0, 0, 0},     {128, 0, 0},   {0, 128, 0},     {128, 128, 0},   {0, 0, 128},
        {128, 0, 128}, {0, 128, 128}, {192, 192, 192}, {192, 220, 192}, {166, 202, 240}};
    static const uint8_t kHigh[10][3] = {
        {255, 251, 240}, {160, 160, 164}, {128, 128, 128}, {255, 0, 0},   {0, 255, 0},
        {255, 255, 0},   {0, 0, 255},     {255, 0, 255},   {0, 255, 255}, {255, 255, 255}};
    for (int i = 0; i < 10; ++i) {
        entries[i] = {kLow[i][0], kLow[i][1], kLow[i][2], 0};
        entries[246 + i] = {kHigh[i][0], kHigh[i][1], kHigh[i][2], 0};
    }
}

}  // namespace tavik
