// Message box text wrapped for SDL's boxes, which are as wide as their longest line.
#ifdef TAVIK_HAVE_SDL

#include "platform/sdl/sdl_wrap.h"

#include <gtest/gtest.h>

namespace tavik::sdl {
namespace {

TEST(SdlWrap, BreaksLongLinesAtSpaces) {
    struct Case {
        const char* text;
        size_t columns;
        const char* wrapped;
    } cases[] = {
        {"short enough", 12, "short enough"},
        {"one two three four", 9, "one two\nthree\nfour"},
        {"full line", 4, "full\nline"},  // the space just after a full line
        {"many    spaces    here", 10, "many\nspaces\nhere"},
        {"  indented paragraph\n\n  next one", 12, "  indented\nparagraph\n\n  next one"},
        {"a-word-longer-than-a-line ok", 10, "a-word-lon\nger-than-a\n-line ok"},
        {"\xC3\xA9t\xC3\xA9 \xC3\xA9t\xC3\xA9", 4, "\xC3\xA9t\xC3\xA9\n\xC3\xA9t\xC3\xA9"},
        {"trailing spaces   ", 8, "trailing\nspaces"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(WrapMessageText(c.text, c.columns), c.wrapped) << c.text;
    }
}

TEST(SdlWrap, ColumnsFitTheScreen) {
    EXPECT_EQ(MessageColumns(1920), kMessageColumns);
    EXPECT_EQ(MessageColumns(640), 67u);
    EXPECT_EQ(MessageColumns(0), 20u);
}

}  // namespace
}  // namespace tavik::sdl

#endif  // TAVIK_HAVE_SDL
