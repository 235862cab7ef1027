// The player window: key codes and their queue, placement arithmetic, opening, reusing and
// closing the window with its display buffer.
#include "player/player_window.h"

#include <gtest/gtest.h>

#include <tuple>

#include "player/messages.h"
#include "player/placement.h"
#include "player/settings.h"
#include "player_test_support.h"

namespace tavik {
namespace {

// What no key press through the SDL mapping (sdl_keys_test.cpp) or the window can reach.
TEST(PlayerKeys, CodeTable) {
    EXPECT_EQ(KeyCodeForKeyDown(0x70, true, true), 218);   // F1: Shift wins over Ctrl
    EXPECT_EQ(KeyCodeForKeyDown(0x79, false, true), 237);  // Ctrl+F10
    EXPECT_EQ(KeyCodeForKeyDown(0x28, true, false), 168);  // Down, Shift ignored
    EXPECT_EQ(KeyCodeForKeyDown(0x20, false, false), -1);  // space comes as a character
    EXPECT_EQ(KeyCodeForSysKeyDown(0x41, true), -1);
    EXPECT_EQ(KeyCodeForChar(0x1E9, false), 0xE9);  // stored as one byte
}

TEST(PlayerKeys, QueueKeepsOrderAndDropsBeyond64) {
    KeyQueue q;
    for (int i = 0; i < 70; ++i) q.Push(static_cast<uint8_t>(i));
    EXPECT_EQ(q.Count(), 64u);
    EXPECT_EQ(q.Pop(), 0);
    EXPECT_EQ(q.Pop(), 1);
    q.Push(200);
    while (q.Count() > 1) q.Pop();
    EXPECT_EQ(q.Pop(), 200);
    EXPECT_TRUE(q.Empty());
}

TEST(PlayerPlacement, ClassNameStylesAndMethodWord) {
    EXPECT_EQ(WindowClassName(0x00400000), "QIMDWAAAA");
    EXPECT_EQ(WindowClassName(0x1234ABCD), "QIMDWKLMN");
    EXPECT_EQ(StylesFromDisplayFlags(0).style, 0x82CA0000u);
    EXPECT_EQ(StylesFromDisplayFlags(0).exStyle, 1u);
    EXPECT_EQ(StylesFromDisplayFlags(0xC000).style, 0x82CA0000u);  // /I1
    EXPECT_EQ(StylesFromDisplayFlags(0xC000).exStyle, 0u);
    EXPECT_EQ(StylesFromDisplayFlags(0xC200).style, 0x828A0000u);  // /I2: thin border only
    EXPECT_EQ(StylesFromDisplayFlags(0x200).style, 0x820A0000u);   // /I3: dialog frame only
    EXPECT_EQ(StylesFromDisplayFlags(0x200).exStyle, 1u);
    EXPECT_EQ(StylesFromDisplayFlags(0x4200).exStyle, 0u);  // /I4: nothing
    EXPECT_EQ(MethodWordFromDisplayFlags(22), 1u);
    EXPECT_EQ(MethodWordFromDisplayFlags(23), 3u);
    EXPECT_EQ(MethodWordFromDisplayFlags(23 | 0x100), 2u);
    EXPECT_EQ(MethodWordFromDisplayFlags(24 | 0x20 | 0x40 | 0x80), 4u | 0x80u | 0x100u | 0x200u);
    EXPECT_EQ(MethodWordFromDisplayFlags(25), 5u);
    EXPECT_EQ(MethodWordFromDisplayFlags(26), 0u);
}

TEST(PlayerPlacement, CentringAndAlignment) {
    EXPECT_EQ(WindowPosition(5, -1, 321, 201, Point{640, 480}, Point{}).x, 5);
    EXPECT_EQ(WindowPosition(-1, -1, 321, 201, Point{640, 480}, Point{}).x, 159);
    // Larger than the screen: the client area goes to the screen's edge.
    EXPECT_EQ(WindowPosition(-1, -1, 800, 200, Point{640, 480}, Point{3, 21}).x, -3);
    EXPECT_EQ(AlignClientColumn(100, 0), 96);
    EXPECT_EQ(AlignClientColumn(101, 0), 104);
    EXPECT_EQ(AlignClientColumn(97, 3), 93);  // client at 100 -> 96
    EXPECT_EQ(AlignClientColumn(-10, 0), -8);
}

class PlayerWindowTest : public PlayerTest {
  protected:
    void TearDown() override {
        ClosePlayerWindow();
        PlayerTest::TearDown();
    }
    static headless::Window* Window() { return Screen().Find(WindowState().window); }
};

TEST_F(PlayerWindowTest, OpenPlacesAndCentres) {
    ASSERT_TRUE(OpenPlayerWindow(320, 200, -1, -1, 0));
    headless::Window* w = Window();
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->className, "QIMDWBCDE");  // instance 0x1234
    EXPECT_EQ(w->title, "TavikPlay");
    EXPECT_EQ(w->style, 0x82CA0000u);
    EXPECT_TRUE(w->visible);
    const bool* menu = w->menuEnabled;
    EXPECT_EQ(std::tuple(menu[0], menu[1], menu[2], menu[3], menu[4]),
              std::tuple(false, true, false, true, false));
    // The client area (frame 4 wide, caption 18) is centred: at 160, 140.
    const Point client = Platform().windows->ClientToScreen(WindowState().window, Point{});
    EXPECT_EQ(std::tuple(client.x, client.y), std::tuple(160, 140));
    EXPECT_EQ(Platform().windows->ClientRect(WindowState().window).right, 320);
    EXPECT_EQ(Screen().focus, w);
    // A given position is the window's corner; the client column is then aligned to 8.
    EXPECT_EQ(WindowState().clientOffset.x, 4);
    PlacePlayerWindow(95, 10, 320, 200);  // client at 99
    EXPECT_EQ(Platform().windows->ClientToScreen(WindowState().window, Point{}).x, 96);
    PlacePlayerWindow(98, 10, 320, 200);
    EXPECT_EQ(Platform().windows->ClientToScreen(WindowState().window, Point{}).x, 104);
}

TEST_F(PlayerWindowTest, LaterMoviesReplaceOrReuseTheBuffer) {
    ASSERT_TRUE(OpenPlayerWindow(320, 200, -1, -1, 0));
    ASSERT_TRUE(OpenPlayerWindow(160, 120, -1, -1, 0));
    EXPECT_EQ(WindowState().buffer->Width, 160u);  // a window always gets a new buffer
    // Full screen: a movie that fits reuses the buffer, cleared unless /C.
    headless::Config c;
    c.fullScreen = true;
    ClosePlayerWindow();
    Start(c);
    ASSERT_TRUE(OpenPlayerWindow(320, 200, -1, -1, 22));
    DisplayBuffer* full = WindowState().buffer;
    EXPECT_TRUE(Window()->minimised);
    full->Bits[0] = 7;
    ASSERT_TRUE(OpenPlayerWindow(160, 120, -1, -1, 22 | kDisplayDontClear));
    EXPECT_EQ(WindowState().buffer, full);
    EXPECT_EQ(full->Bits[0], 7);
    ASSERT_TRUE(OpenPlayerWindow(160, 120, -1, -1, 22));
    EXPECT_EQ(full->Bits[0], 0);
    // Restoring the minimised player window hands the focus to the full-screen window.
    WindowEvent restore;
    restore.kind = WindowEventKind::SysCommand;
    restore.code = 0xF122;
    Platform().windows->SendEvent(WindowState().window, restore);
    EXPECT_EQ(Screen().focus, Screen().Find(full->FullScreenWindow));
    WindowEvent hit;
    hit.kind = WindowEventKind::HitTest;
    EXPECT_EQ(Platform().windows->SendEvent(WindowState().window, hit).value, 1);
}

TEST_F(PlayerWindowTest, FailuresReportFalse) {
    headless::Config c;
    c.failWindow = true;
    Start(c);
    EXPECT_FALSE(OpenPlayerWindow(320, 200, -1, -1, 0));
    EXPECT_EQ(Screen().liveIcons, 0);
    c = headless::Config{};
    c.failOffscreen = true;
    c.dibSections = true;
    Start(c);
    EXPECT_FALSE(OpenPlayerWindow(320, 200, -1, -1, 25));
    EXPECT_EQ(WindowState().window, nullptr);
    EXPECT_TRUE(OpenPlayerWindow(320, 200, -1, -1, 24));   // the class stays registered
    EXPECT_FALSE(OpenPlayerWindow(320, 200, -1, -1, 25));  // the window stays, no buffer
    EXPECT_NE(WindowState().window, nullptr);
    EXPECT_EQ(WindowState().buffer, nullptr);
}

TEST_F(PlayerWindowTest, EventsBecomeKeyCodes) {
    ASSERT_TRUE(OpenPlayerWindow(64, 48, -1, -1, 0));
    Screen().PostChar('.');
    Screen().PostKeyDown(0x2E);
    Screen().heldKeys.insert(HeldKey::Shift);
    Screen().PostKeyDown(0x70);
    Screen().PostChar(9);
    Screen().PostSysKeyDown(0x79, true);
    Screen().PostKeyDown(0x41);  // no code: default handling
    Screen().PostClose();
    EXPECT_EQ(KeyWaiting(), 1u);
    for (int expected : {46, 174, 218, 137, 247, 241}) EXPECT_EQ(WaitKey(), expected);
    EXPECT_EQ(KeyWaiting(), 0u);
    EXPECT_NE(WindowState().window, nullptr);  // closing only queues 241
    // Minimise and restore swap the menu items.
    WindowEvent e;
    e.kind = WindowEventKind::SysCommand;
    e.code = 0xF020;
    Platform().windows->SendEvent(WindowState().window, e);
    EXPECT_TRUE(Window()->menuEnabled[0]);
    EXPECT_FALSE(Window()->menuEnabled[3]);
    e.code = 0xF120;
    EXPECT_TRUE(Platform().windows->SendEvent(WindowState().window, e).useDefault);
    EXPECT_FALSE(Window()->menuEnabled[0]);
    e.kind = WindowEventKind::EraseBackground;
    EXPECT_EQ(Platform().windows->SendEvent(WindowState().window, e).value, 1);
    e.kind = WindowEventKind::PaletteChanged;
    e.other = WindowState().window;
    EXPECT_EQ(Platform().windows->SendEvent(WindowState().window, e).value, 0);
}

TEST_F(PlayerWindowTest, PaintClearAndMessages) {
    ASSERT_TRUE(OpenPlayerWindow(64, 48, -1, -1, 0));
    Screen().draws.clear();
    PumpMessages();  // the window was invalid after showing: it paints the whole buffer
    ASSERT_EQ(Screen().draws.size(), 1u);
    EXPECT_EQ(Screen().draws[0].dw, 64);
    WindowState().buffer->Bits[5] = 3;
    ClearAndShow(9);
    EXPECT_EQ(WindowState().buffer->Bits[5], 9);
    EXPECT_EQ(Screen().draws.size(), 2u);

    // Longer messages are cut to the box's 2047 characters.
    ShowMessage("c", std::string(5000, 'a').c_str(), nullptr, nullptr, false);
    ASSERT_EQ(Screen().messages.size(), 1u);
    EXPECT_EQ(Screen().messages[0].text.size(), 2047u);
}

}  // namespace
}  // namespace tavik
