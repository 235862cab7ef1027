// SDL key presses through the SDL backend's mapping and the player window's key codes: the
// codes must come out as a Windows message loop would make them.
#ifdef TAVIK_HAVE_SDL

#include "platform/sdl/sdl_keys.h"

#include <gtest/gtest.h>

#include <vector>

#include "player/key_codes.h"

namespace tavik {
namespace {

// The codes the player window queues for one key press with the given modifiers.
std::vector<int> CodesFor(SDL_Keycode key, Uint16 modifiers) {
    WindowEvent events[2];
    const int count = sdl::KeyPressEvents(key, modifiers, events);
    const bool shift = (modifiers & KMOD_SHIFT) != 0;
    const bool ctrl = (modifiers & KMOD_CTRL) != 0;
    std::vector<int> codes;
    for (int i = 0; i < count; ++i) {
        const WindowEvent& e = events[i];
        int code = -1;
        if (e.kind == WindowEventKind::KeyDown) code = KeyCodeForKeyDown(e.code, shift, ctrl);
        if (e.kind == WindowEventKind::SysKeyDown)
            code = KeyCodeForSysKeyDown(e.code, e.altContext);
        if (e.kind == WindowEventKind::Char) code = KeyCodeForChar(e.code, shift);
        if (code >= 0) codes.push_back(code);
    }
    return codes;
}

TEST(SdlKeys, FunctionKeysWithShiftCtrlAndAlt) {
    EXPECT_EQ(CodesFor(SDLK_F1, 0), std::vector<int>{208});
    EXPECT_EQ(CodesFor(SDLK_F1, KMOD_LSHIFT), std::vector<int>{218});
    EXPECT_EQ(CodesFor(SDLK_F1, KMOD_RCTRL), std::vector<int>{228});
    EXPECT_EQ(CodesFor(SDLK_F1, KMOD_LALT), std::vector<int>{238});
    EXPECT_EQ(CodesFor(SDLK_F9, KMOD_LALT), std::vector<int>{246});
    // F10 is a system key: Shift and Ctrl do not change it, Alt does.
    EXPECT_EQ(CodesFor(SDLK_F10, 0), std::vector<int>{217});
    EXPECT_EQ(CodesFor(SDLK_F10, KMOD_LSHIFT), std::vector<int>{217});
    EXPECT_EQ(CodesFor(SDLK_F10, KMOD_LALT), std::vector<int>{247});
    EXPECT_TRUE(CodesFor(SDLK_F11, 0).empty());
}

TEST(SdlKeys, CursorBlockAndControlCharacters) {
    EXPECT_EQ(CodesFor(SDLK_PAGEUP, 0), std::vector<int>{161});
    EXPECT_EQ(CodesFor(SDLK_DOWN, 0), std::vector<int>{168});
    EXPECT_EQ(CodesFor(SDLK_INSERT, 0), std::vector<int>{173});
    EXPECT_EQ(CodesFor(SDLK_DELETE, 0), std::vector<int>{174});
    EXPECT_TRUE(CodesFor(SDLK_LEFT, KMOD_LALT).empty());  // Alt+arrow: a system key, no code
    EXPECT_EQ(CodesFor(SDLK_RETURN, 0), std::vector<int>{13});
    EXPECT_EQ(CodesFor(SDLK_KP_ENTER, 0), std::vector<int>{13});
    EXPECT_EQ(CodesFor(SDLK_ESCAPE, 0), std::vector<int>{27});
    EXPECT_EQ(CodesFor(SDLK_TAB, 0), std::vector<int>{9});
    EXPECT_EQ(CodesFor(SDLK_TAB, KMOD_LSHIFT), std::vector<int>{137});
    EXPECT_EQ(CodesFor(SDLK_m, KMOD_LCTRL), std::vector<int>{13});  // Ctrl+M is Enter
    EXPECT_TRUE(CodesFor(SDLK_RETURN, KMOD_LALT).empty());
    EXPECT_TRUE(CodesFor(SDLK_a, 0).empty());  // plain letters arrive as text
}

TEST(SdlKeys, TextBecomesOneByteCharacters) {
    uint32_t out[8];
    ASSERT_EQ(sdl::TextCharacters(" .\xC3\xA9", 0, out, 8), 3);  // blank, period, e acute
    EXPECT_EQ(out[0], 32u);
    EXPECT_EQ(out[1], 46u);
    EXPECT_EQ(out[2], 233u);
    EXPECT_EQ(sdl::TextCharacters("\xE2\x82\xAC"
                                  "a",
                                  0, out, 8),
              1);  // the euro sign has none
    EXPECT_EQ(out[0], 97u);
    EXPECT_EQ(sdl::TextCharacters("\xC3", 0, out, 8), 0);  // cut short
    EXPECT_EQ(sdl::TextCharacters("abc", 0, out, 2), 2);
    EXPECT_EQ(sdl::TextCharacters("a", KMOD_LALT, out, 8), 0);
}

}  // namespace
}  // namespace tavik

#endif
