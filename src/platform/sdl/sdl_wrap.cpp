// Message box text wrapped to a number of columns.
#include "platform/sdl/sdl_wrap.h"

#include <algorithm>

namespace tavik {
namespace sdl {

namespace {

// A guess at the box font's character width and the box's margins, in pixels: enough to keep
// a box inside a small screen, whatever font the system picks.
constexpr int kCharacterWidth = 8;
constexpr int kBoxMargins = 100;
constexpr size_t kFewestColumns = 20;

bool ContinuesCharacter(char c) {
    return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

// Appends `line` (no line breaks in it) broken into lines of at most `columns` characters.
void WrapLine(const std::string& line, size_t columns, std::string& out) {
    size_t start = 0;
    while (true) {
        // Walk one line's worth of characters, remembering the last space after the leading
        // blanks.
        size_t at = start, count = 0, lastSpace = std::string::npos;
        bool inText = false;
        while (at < line.size() && count < columns) {
            if (line[at] == ' ' && inText) lastSpace = at;
            if (line[at] != ' ') inText = true;
            ++at;
            while (at < line.size() && ContinuesCharacter(line[at])) ++at;
            ++count;
        }
        if (at == line.size()) {
            out.append(line, start, at - start);
            return;
        }
        if (line[at] == ' ' && inText) lastSpace = at;  // the break falls just after this line
        size_t end = at, next = at;
        if (lastSpace != std::string::npos) {
            end = next = lastSpace;
            while (end > start && line[end - 1] == ' ') --end;
            while (next < line.size() && line[next] == ' ') ++next;
        }
        out.append(line, start, end - start);
        if (next == line.size()) return;
        out += '\n';
        start = next;
    }
}

}  // namespace

size_t MessageColumns(int screenWidth) {
    const int fit = (screenWidth - kBoxMargins) / kCharacterWidth;
    return std::clamp(static_cast<size_t>(std::max(fit, 0)), kFewestColumns, kMessageColumns);
}

std::string WrapMessageText(const std::string& text, size_t columns) {
    if (columns == 0) return text;
    std::string out;
    out.reserve(text.size() + text.size() / columns + 1);
    size_t start = 0;
    while (true) {
        const size_t end = text.find('\n', start);
        WrapLine(text.substr(start, end == std::string::npos ? end : end - start), columns, out);
        if (end == std::string::npos) return out;
        out += '\n';
        start = end + 1;
    }
}

}  // namespace sdl
}  // namespace tavik
