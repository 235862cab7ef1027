// An in-memory system table for fuzz targets: one file, a clock that moves on every call.
#pragma once

#include <cstdint>
#include <cstring>

#include "tavik/system.h"

namespace tavik::fuzz {

struct MemoryFile {
    const uint8_t* data = nullptr;
    uint32_t size = 0;
    uint32_t position = 0;
    uint32_t clock = 1;
};

inline MemoryFile g_file;

inline void InstallMemorySystem(const uint8_t* data, size_t size) {
    g_file = MemoryFile{data, static_cast<uint32_t>(size > 0x7FFFFFFF ? 0x7FFFFFFF : size), 0, 1};
    TavikSystem table{};
    table.Milliseconds = [](void*) { return g_file.clock += 3; };
    table.OpenFile = [](void*, const char*) -> TavikFile {
        g_file.position = 0;
        return 7;
    };
    table.CloseFile = [](void*, TavikFile) {};
    table.ReadFile = [](void*, TavikFile, void* to, uint32_t count) -> uint32_t {
        const uint32_t left = g_file.position < g_file.size ? g_file.size - g_file.position : 0;
        const uint32_t n = count < left ? count : left;
        if (n) std::memcpy(to, g_file.data + g_file.position, n);
        g_file.position += n;
        return n;
    };
    table.SeekFile = [](void*, TavikFile, uint32_t offset) {
        g_file.position = offset;
        return 1;
    };
    table.TellFile = [](void*, TavikFile) { return g_file.position; };
    table.FileSize = [](void*, TavikFile) { return g_file.size; };
    TavikSetSystem(&table);
}

}  // namespace tavik::fuzz
