// Small routines around video decoding: change rectangles, tree colour remapping, 16-bit
// colour tables and the processor check for the wide loops.
#pragma once

#include <cstdint>

#include "video/dest.h"

namespace tavik {

// (width x height) / 256 + 32.
uint32_t ChangeMapSize(uint32_t width, uint32_t height);

// Fills rect (x, y, width, height) with the next run of changed groups; 0 when none is left.
uint32_t NextChangeRect(TavikDestDesc* dest, uint32_t* rect);

// map: old palette index to new one. Always starts again from the trees' stored values.
void RemapTreeColours(uint8_t* trees, const uint8_t* map);
// map (256 bytes): the index each palette index decodes to now (itself unless remapped).
void TreeColourMap(const uint8_t* trees, uint8_t* map);
// used (256 bytes, cleared by the caller): set to 1 for each index the trees can produce.
void FindUsedColours(const uint8_t* trees, uint8_t* used);

// table: 256 16-bit pixels; palette: 256 RGB triples.
void BuildColourTable555(uint16_t* table, const uint8_t* palette);
void BuildColourTable565(uint16_t* table, const uint8_t* palette);

// Processor state: 1 has the wide instructions, 2 detection ran, 4 wide loops switched off.
// Returns 2 when the wide loops are to be used, else 1.
uint32_t ProcessorCheck();
// 0 switches the wide loops off, 1 back on, larger values change nothing. 1 when they are used.
uint32_t UseMMX(uint32_t setting);
// The answer of the last check: 0 not asked yet, 1 plain loops, 2 wide loops.
uint32_t ProcessorAnswer();

}  // namespace tavik
