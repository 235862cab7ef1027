// Message box text wrapped to a number of columns. SDL's boxes on X11 are as wide as their
// longest line, so an unwrapped paragraph makes a box wider than the screen.
#pragma once

#include <cstddef>
#include <string>

namespace tavik {
namespace sdl {

// The widest line, in characters, a message box is given.
constexpr size_t kMessageColumns = 70;

// Columns for a box on a screen `screenWidth` pixels wide: kMessageColumns, fewer when the
// screen is too narrow for them.
size_t MessageColumns(int screenWidth);

// `text` with every line longer than `columns` characters (UTF-8 sequences count as one) broken
// at its last space that fits, or within a word that does not fit a line by itself. The spaces
// at a break give way to the line break; the text's own line breaks and a line's leading blanks
// stay.
std::string WrapMessageText(const std::string& text, size_t columns);

}  // namespace sdl
}  // namespace tavik
