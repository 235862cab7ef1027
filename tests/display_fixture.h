// A headless screen and a window for display buffer tests, with a recording blitter.
#pragma once

#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "display/blitter_link.h"
#include "display/display_buffer.h"
#include "platform/headless/headless_platform.h"

namespace tavik::test {

struct BlitRecord {
    int64_t destinationOffset;  // from the surface's first byte
    uint32_t sourceX, sourceY, width, height;
    int32_t cursorCount;  // the screen's while writing
};

// Passes every call on to the engine's blitter and records the rectangles.
class RecordingBlitter {
  public:
    static std::vector<BlitRecord>& Records() {
        static std::vector<BlitRecord> records;
        return records;
    }
    static const BlitterCalls* Calls() {
        static const BlitterCalls engine = Blitters();  // taken before this one is set
        static const BlitterCalls calls = [] {
            BlitterCalls c = engine;
            c.blit = [](TavikBlitter* b, uint8_t* d, int32_t dp, uint32_t dx, uint32_t dy,
                        uint32_t sx, int32_t sp, const uint8_t* s, uint32_t sy, uint32_t w,
                        uint32_t h) {
                headless::Screen& screen = headless::TheScreen();
                Records().push_back({d - screen.surface.data(), sx, sy, w, h, screen.cursorCount});
                engine.blit(b, d, dp, dx, dy, sx, sp, s, sy, w, h);
            };
            return c;
        }();
        return &calls;
    }
};

class DisplayTest : public ::testing::Test {
  protected:
    void SetUp() override { Start(headless::Config{}); }
    void TearDown() override {
        BufferClose(std::exchange(buffer, nullptr));
        if (window != nullptr) Platform().windows->DestroyWindow(window);
        Platform().windows->UnregisterWindowClass("test");
        FreeDisplayLibraries();
        EXPECT_EQ(Screen().liveDrawContexts | Screen().livePalettes | Screen().liveOffscreens, 0);
        SetBlitters(nullptr);
        SetPlatform(nullptr);
    }

    // Starts over on a recording screen configured by `config`, with a visible foreground
    // window whose client area starts at screen (100, 50).
    void Start(headless::Config config) {
        BufferClose(std::exchange(buffer, nullptr));
        config.record = true;
        headless::Reset(config);
        ResetDisplayState();
        SetPlatform(&HeadlessPlatform());
        RecordingBlitter::Records().clear();
        SetBlitters(RecordingBlitter::Calls());
        const PlatformOps& p = Platform();
        p.windows->RegisterWindowClass("test", nullptr);
        WindowSpec plan;
        plan.className = "test";
        plan.style = kStylePopup;
        plan.frame = Rect{100, 50, 420, 290};
        window = p.windows->CreateWindow(plan);
        p.windows->ShowWindow(window, ShowCommand::Show);
        p.windows->BringToFront(window);
    }

    DisplayBuffer* Open(uint32_t method, uint32_t width, uint32_t height, uint32_t destWidth = 0,
                        uint32_t destHeight = 0) {
        BufferClose(buffer);
        return buffer = BufferOpen(window, method, width, height, destWidth, destHeight);
    }

    static headless::Screen& Screen() { return headless::TheScreen(); }

    WindowRef window = nullptr;
    DisplayBuffer* buffer = nullptr;
};

}  // namespace tavik::test
