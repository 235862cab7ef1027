// Writing RGB pictures as binary PPM (P6, maxval 255) or PNG.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace tavik::tools {

// rgb: width x height triples, top-down. Returns false with `error` set on failure.
bool WritePpm(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgb, std::string& error);
bool WritePng(const std::string& path, uint32_t width, uint32_t height,
              const std::vector<uint8_t>& rgb, std::string& error);
// An 8-bit indexed PNG of `indices` carrying all 256 entries of `palette` (RGB triples).
bool WriteIndexedPng(const std::string& path, uint32_t width, uint32_t height,
                     const uint8_t* indices, const uint8_t* palette, std::string& error);
bool PngAvailable();

// Maps an 8-bit picture through a palette of 256 RGB triples.
std::vector<uint8_t> ToRgb(const uint8_t* indices, size_t count, const uint8_t* palette);

}  // namespace tavik::tools
