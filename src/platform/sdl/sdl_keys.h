// SDL keys as the player window's key events: the same virtual keys, characters and system keys
// a Windows message loop would deliver for them, so that the key codes come out the same.
#pragma once

#include <SDL.h>

#include <cstdint>

#include "platform/platform.h"

namespace tavik {
namespace sdl {

// The Windows virtual key of an SDL key the player knows (F1 to F10, the cursor block, Insert,
// Delete), or 0.
uint32_t VirtualKey(SDL_Keycode key);

// The events one key press gives: a key-down or system key-down for keys with a virtual key,
// and a character for the keys SDL sends no text for (Enter, Escape, Tab, Backspace, Ctrl with
// a letter). Returns how many were written to `out` (at most 2).
int KeyPressEvents(SDL_Keycode key, Uint16 modifiers, WindowEvent out[2]);

// The characters of an SDL text event that fit one byte (Latin-1), in order. Returns how many
// were written to `out` (at most `room`). Text typed with Alt held gives none: Windows sends
// it as system characters, which the player ignores.
int TextCharacters(const char* utf8, Uint16 modifiers, uint32_t* out, int room);

}  // namespace sdl
}  // namespace tavik
