// The headless backend's test side: the records of what was drawn and shown (kept only when a
// test sets Config::record) and the input a test puts into the player window's queue.
#include <string>
#include <utility>
#include <vector>

#include "platform/headless/headless_ops.h"

namespace tavik {
namespace headless {

namespace {

bool Recording() {
    return S().config.record;
}

}  // namespace

void Log(std::string line) {
    if (Recording()) S().log.push_back(std::move(line));
}

void RecordDraw(const DrawCall& call) {
    if (Recording()) S().draws.push_back(call);
}

void RecordPalette(const PaletteEntry* entries, uint32_t count) {
    if (Recording()) S().palettesCreated.emplace_back(entries, entries + count);
}

void RecordFullScreenRequest(uint32_t id, uint32_t count, const void* data) {
    const auto* bytes = static_cast<const uint8_t*>(data);
    if (Recording())
        S().fullScreenRequests.push_back({id, count, std::vector<uint8_t>(bytes, bytes + count)});
}

void RecordResolutionChange(uint32_t width, uint32_t height) {
    if (Recording())
        S().resolutionChanges.push_back(
            Point{static_cast<int32_t>(width), static_cast<int32_t>(height)});
}

void RecordMessage(const char* caption, const char* text, bool stopIcon) {
    if (Recording())
        S().messages.push_back(
            {caption != nullptr ? caption : "", text != nullptr ? text : "", stopIcon});
}

Window* Screen::Find(WindowRef ref) const {
    auto* w = reinterpret_cast<Window*>(ref);
    return windows.count(w) != 0 ? w : nullptr;
}

Window* Screen::PlayerWindow() const {
    for (const auto& [raw, w] : windows) {
        if (!w->isProbe && !w->isFullScreen) return raw;
    }
    return nullptr;
}

void Screen::PostChar(uint32_t character) {
    WindowEvent e;
    e.kind = WindowEventKind::Char;
    e.code = character;
    queue.emplace_back(PlayerWindow(), e);
}

void Screen::PostKeyDown(uint32_t key) {
    WindowEvent e;
    e.kind = WindowEventKind::KeyDown;
    e.code = key;
    queue.emplace_back(PlayerWindow(), e);
}

void Screen::PostSysKeyDown(uint32_t key, bool altContext) {
    WindowEvent e;
    e.kind = WindowEventKind::SysKeyDown;
    e.code = key;
    e.altContext = altContext;
    queue.emplace_back(PlayerWindow(), e);
}

void Screen::PostClose() {
    WindowEvent e;
    e.kind = WindowEventKind::Close;
    queue.emplace_back(PlayerWindow(), e);
}

void Screen::ActivateFullScreen(bool activated) {
    for (auto& [raw, w] : windows) {
        if (w->isFullScreen && w->fullScreenHandler != nullptr) {
            w->fullScreenHandler(w->owner, activated);
            return;
        }
    }
}

}  // namespace headless
}  // namespace tavik
