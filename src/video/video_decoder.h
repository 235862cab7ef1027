// Decoding one frame's video chunk into the destination.
#pragma once

#include <cstdint>

#include "video/dest.h"
#include "video/marker_runs.h"

namespace tavik {

// Decodes `chunk` (its `chunkSize` bytes, plus 8 readable bytes behind them that are not part of
// the stream) with the tree memory and its marker-run table (video/marker_runs.h; null decodes
// full blocks code by code) into the destination, leaving its change map. A malformed
// chunk is decoded as far as it is sound; nothing outside the chunk, the tree memory or the
// destination picture is touched. 16-bit formats read the descriptor's `colourTable`; without
// one nothing is decoded. An early stop leaves the groups that no run reached marked unchanged.
void DecodeVideoFrame(const uint8_t* chunk, uint32_t chunkSize, uint8_t* trees,
                      const TavikMarkerRuns* markerRuns, TavikDestDesc* dest);

}  // namespace tavik
