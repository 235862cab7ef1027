// The key mapping of the SDL backend.
#include "platform/sdl/sdl_keys.h"

namespace tavik {
namespace sdl {

namespace {

constexpr uint32_t kVirtualF1 = 0x70;
constexpr uint32_t kVirtualF10 = 0x79;

WindowEvent Event(WindowEventKind kind, uint32_t code, bool altContext = false) {
    WindowEvent e;
    e.kind = kind;
    e.code = code;
    e.altContext = altContext;
    return e;
}

// The character Windows makes of a key that SDL sends no text for; 0 when there is none.
uint32_t ControlCharacter(SDL_Keycode key, Uint16 modifiers) {
    switch (key) {
        case SDLK_RETURN:
        case SDLK_KP_ENTER:
            return 13;
        case SDLK_ESCAPE:
            return 27;
        case SDLK_TAB:
            return 9;
        case SDLK_BACKSPACE:
            return 8;
        default:
            break;
    }
    if ((modifiers & KMOD_CTRL) && key >= SDLK_a && key <= SDLK_z) {
        return static_cast<uint32_t>(key - SDLK_a + 1);
    }
    return 0;
}

}  // namespace

uint32_t VirtualKey(SDL_Keycode key) {
    if (key >= SDLK_F1 && key <= SDLK_F10) return kVirtualF1 + static_cast<uint32_t>(key - SDLK_F1);
    switch (key) {
        case SDLK_PAGEUP:
            return 0x21;
        case SDLK_PAGEDOWN:
            return 0x22;
        case SDLK_END:
            return 0x23;
        case SDLK_HOME:
            return 0x24;
        case SDLK_LEFT:
            return 0x25;
        case SDLK_UP:
            return 0x26;
        case SDLK_RIGHT:
            return 0x27;
        case SDLK_DOWN:
            return 0x28;
        case SDLK_INSERT:
            return 0x2D;
        case SDLK_DELETE:
            return 0x2E;
        default:
            return 0;
    }
}

int KeyPressEvents(SDL_Keycode key, Uint16 modifiers, WindowEvent out[2]) {
    const bool alt = (modifiers & KMOD_ALT) != 0;
    int count = 0;
    if (const uint32_t virtualKey = VirtualKey(key)) {
        // F10 is always a system key on Windows; the other keys are with Alt held.
        if (virtualKey == kVirtualF10 || alt) {
            out[count++] = Event(WindowEventKind::SysKeyDown, virtualKey, alt);
        } else {
            out[count++] = Event(WindowEventKind::KeyDown, virtualKey);
        }
    }
    if (!alt) {
        if (const uint32_t character = ControlCharacter(key, modifiers)) {
            out[count++] = Event(WindowEventKind::Char, character);
        }
    }
    return count;
}

int TextCharacters(const char* utf8, Uint16 modifiers, uint32_t* out, int room) {
    if (utf8 == nullptr || (modifiers & KMOD_ALT)) return 0;
    int count = 0;
    const auto* p = reinterpret_cast<const unsigned char*>(utf8);
    while (*p != 0 && count < room) {
        uint32_t code = *p;
        int extra = 0;
        if (code >= 0xF0) {
            extra = 3, code &= 0x07;
        } else if (code >= 0xE0) {
            extra = 2, code &= 0x0F;
        } else if (code >= 0xC0) {
            extra = 1, code &= 0x1F;
        } else if (code >= 0x80) {
            ++p;  // a stray continuation byte
            continue;
        }
        ++p;
        for (; extra > 0 && (*p & 0xC0) == 0x80; --extra, ++p) code = code << 6 | (*p & 0x3F);
        if (extra == 0 && code < 256) out[count++] = code;
    }
    return count;
}

}  // namespace sdl
}  // namespace tavik
