#include "edit/subrip.h"

#include <algorithm>
#include <cctype>

namespace tavik::edit {

namespace {

bool ValidUtf8(std::string_view text) {
    for (size_t i = 0; i < text.size();) {
        const auto byte = static_cast<uint8_t>(text[i]);
        const size_t length = byte < 0x80         ? 1
                              : (byte >> 5) == 6  ? 2
                              : (byte >> 4) == 14 ? 3
                              : (byte >> 3) == 30 ? 4
                                                  : 0;
        if (length == 0 || i + length > text.size()) return false;
        for (size_t k = 1; k < length; ++k)
            if ((static_cast<uint8_t>(text[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool AllDigits(std::string_view s) {
    return !s.empty() &&
           std::all_of(s.begin(), s.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// "H:MM:SS,mmm" (hours of any width, ',' or '.' before 1 to 3 digits of milliseconds), or
// without the hours.
bool ParseTime(std::string_view s, int64_t& ms) {
    s = Trim(s);
    int64_t parts[3] = {0, 0, 0};
    int count = 0;
    for (;;) {
        size_t digits = 0;
        int64_t value = 0;
        while (digits < s.size() && digits < 9 && std::isdigit(static_cast<uint8_t>(s[digits])))
            value = value * 10 + (s[digits++] - '0');
        if (digits == 0 || count == 3) return false;
        parts[count++] = value;
        s.remove_prefix(digits);
        if (s.empty() || s.front() != ':') break;
        s.remove_prefix(1);
    }
    if (count < 2) return false;
    int64_t fraction = 0;
    if (!s.empty()) {
        if (s.front() != ',' && s.front() != '.') return false;
        s.remove_prefix(1);
        if (s.empty() || s.size() > 3 || !AllDigits(s)) return false;
        for (size_t i = 0; i < 3; ++i) fraction = fraction * 10 + (i < s.size() ? s[i] - '0' : 0);
    }
    const int64_t hours = count == 3 ? parts[0] : 0;
    const int64_t minutes = parts[count - 2], seconds = parts[count - 1];
    if (minutes > 59 || seconds > 59) return false;
    ms = ((hours * 60 + minutes) * 60 + seconds) * 1000 + fraction;
    return true;
}

// "START --> END", perhaps followed by position coordinates.
bool ParseTimeLine(std::string_view line, int64_t& start, int64_t& end) {
    const size_t arrow = line.find("-->");
    if (arrow == std::string_view::npos) return false;
    std::string_view after = Trim(line.substr(arrow + 3));
    const size_t space = after.find_first_of(" \t");
    if (space != std::string_view::npos) after = after.substr(0, space);
    return ParseTime(line.substr(0, arrow), start) && ParseTime(after, end);
}

bool HexColour(std::string_view s, std::string& bgr) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"white", "FFFFFF"}, {"black", "000000"},  {"red", "FF0000"},  {"green", "008000"},
        {"blue", "0000FF"},  {"yellow", "FFFF00"}, {"cyan", "00FFFF"}, {"magenta", "FF00FF"},
        {"lime", "00FF00"},  {"grey", "808080"},   {"gray", "808080"}, {"orange", "FFA500"}};
    std::string lower(s);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<uint8_t>(c)));
    for (const auto& [name, hex] : kNames)
        if (lower == name) lower = hex;
    if (!lower.empty() && lower[0] == '#') lower.erase(0, 1);
    if (lower.size() != 6 || !std::all_of(lower.begin(), lower.end(), [](char c) {
            return std::isxdigit(static_cast<uint8_t>(c));
        }))
        return false;
    bgr = lower.substr(4, 2) + lower.substr(2, 2) + lower.substr(0, 2);
    for (char& c : bgr) c = static_cast<char>(std::toupper(static_cast<uint8_t>(c)));
    return true;
}

// The override tag for one SubRip tag, or empty when it is none that is known.
std::string TagMarkup(std::string_view tag) {
    std::string lower(tag);
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<uint8_t>(c)));
    for (const char* style : {"i", "b", "u", "s"}) {
        if (lower == style) return std::string("{\\") + style + "1}";
        if (lower == std::string("/") + style) return std::string("{\\") + style + "0}";
    }
    if (lower == "/font") return "{\\c}";
    if (lower.rfind("font", 0) == 0) {
        const size_t at = lower.find("color");
        if (at == std::string::npos) return "{}";
        std::string_view value = std::string_view(tag).substr(at + 5);
        value = Trim(value);
        if (value.empty() || value.front() != '=') return "{}";
        value = Trim(value.substr(1));
        if (!value.empty() && (value.front() == '"' || value.front() == '\'')) {
            const char quote = value.front();
            value.remove_prefix(1);
            value = value.substr(0, value.find(quote));
        } else {
            value = value.substr(0, value.find_first_of(" \t"));
        }
        std::string bgr;
        return HexColour(value, bgr) ? "{\\c&H" + bgr + "&}" : "{}";
    }
    return {};
}

std::string Markup(std::string_view line) {
    std::string out;
    for (size_t i = 0; i < line.size();) {
        if (line[i] == '<') {
            const size_t close = line.find('>', i);
            if (close != std::string_view::npos) {
                const std::string tag = TagMarkup(line.substr(i + 1, close - i - 1));
                if (!tag.empty()) {
                    if (tag != "{}") out += tag;
                    i = close + 1;
                    continue;
                }
            }
        }
        out += line[i++];
    }
    return out;
}

}  // namespace

bool ParseSubRip(std::string_view file, std::vector<SubRipCue>& cues, std::string& error) {
    cues.clear();
    if (file.substr(0, 3) == "\xEF\xBB\xBF") file.remove_prefix(3);
    if (!ValidUtf8(file)) {
        error = "not UTF-8 text (convert it to UTF-8 first)";
        return false;
    }
    std::vector<std::string_view> lines;
    for (size_t at = 0; at <= file.size();) {
        size_t end = file.find_first_of("\r\n", at);
        if (end == std::string_view::npos) end = file.size();
        lines.push_back(file.substr(at, end - at));
        if (end < file.size() && file[end] == '\r' && end + 1 < file.size() &&
            file[end + 1] == '\n')
            ++end;
        at = end + 1;
    }
    for (size_t i = 0; i < lines.size();) {
        const std::string_view line = Trim(lines[i]);
        if (line.empty()) {
            ++i;
            continue;
        }
        size_t timeLine = i;
        if (AllDigits(line)) ++timeLine;  // the cue's number
        SubRipCue cue;
        if (timeLine >= lines.size() || !ParseTimeLine(lines[timeLine], cue.startMs, cue.endMs)) {
            error = "line " + std::to_string(std::min(timeLine, lines.size() - 1) + 1) +
                    ": expected a time line such as 00:00:01,500 --> 00:00:04,000";
            return false;
        }
        if (cue.endMs < cue.startMs) {
            error = "line " + std::to_string(timeLine + 1) + ": the cue ends before it starts";
            return false;
        }
        i = timeLine + 1;
        int64_t ignored = 0;
        for (; i < lines.size() && !Trim(lines[i]).empty(); ++i) {
            // A cue that runs into the next one without a blank line ends at its number.
            if (AllDigits(Trim(lines[i])) && i + 1 < lines.size() &&
                ParseTimeLine(lines[i + 1], ignored, ignored))
                break;
            if (!cue.text.empty()) cue.text += "\\N";
            cue.text += Markup(lines[i]);
        }
        cues.push_back(std::move(cue));
    }
    if (cues.empty()) {
        error = "no cues";
        return false;
    }
    return true;
}

}  // namespace tavik::edit
