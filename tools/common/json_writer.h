// A small writer of JSON objects for the tools' machine-readable output: members in the order
// they are added, strings escaped, numbers as integers or with two decimals.
#pragma once

#include <cstdint>
#include <cstdio>
#include <string>

namespace tavik::tools {

class JsonWriter {
  public:
    void Begin(const char* key = nullptr) { Open(key, '{'); }
    void End() { Close('}'); }
    void BeginArray(const char* key) { Open(key, '['); }
    void EndArray() { Close(']'); }
    void Number(const char* key, uint64_t value) { Raw(key, std::to_string(value)); }
    void Signed(const char* key, int64_t value) { Raw(key, std::to_string(value)); }
    void Decimal(const char* key, double value) {
        char text[64];
        std::snprintf(text, sizeof text, "%.2f", value);
        Raw(key, text);
    }
    void Bool(const char* key, bool value) { Raw(key, value ? "true" : "false"); }
    void String(const char* key, const std::string& value) { Raw(key, Quoted(value)); }
    void Null(const char* key) { Raw(key, "null"); }
    const std::string& Text() const { return text_; }

  private:
    void Separate(const char* key) {
        if (needComma_) text_ += ',';
        if (key) text_ += Quoted(key) + ':';
        needComma_ = true;
    }
    void Raw(const char* key, const std::string& value) {
        Separate(key);
        text_ += value;
    }
    void Open(const char* key, char bracket) {
        Separate(key);
        text_ += bracket;
        needComma_ = false;
    }
    void Close(char bracket) {
        text_ += bracket;
        needComma_ = true;
    }
    static std::string Quoted(const std::string& value) {
        std::string out = "\"";
        for (unsigned char c : value) {
            if (c == '"' || c == '\\') {
                out += '\\';
                out += static_cast<char>(c);
            } else if (c < 0x20) {
                char escape[8];
                std::snprintf(escape, sizeof escape, "\\u%04x", c);
                out += escape;
            } else {
                out += static_cast<char>(c);
            }
        }
        return out + '"';
    }

    std::string text_;
    bool needComma_ = false;
};

}  // namespace tavik::tools
