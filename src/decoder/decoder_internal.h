// What the decoder's files share, and what the engine's seek uses of them.
#pragma once

#include <cstdint>
#include <memory>

#include "decoder/decoder_state.h"

namespace tavik {

// A decoder over a movie the engine has open: its header as stored (`header`, with the height
// scaling in force in its flags), its frame tables and its trees as built from the file (the
// caller's copy, which the decoder takes over), reading frame `i` at `frameOffsets[i]` of
// `source`. Null when memory runs out.
std::unique_ptr<TavikDecoder> DecoderOverMovie(const TavikHeader& header, const uint32_t* sizes,
                                               const uint8_t* types, uint64_t firstFrameOffset,
                                               AlignedBlock<uint8_t> trees,
                                               std::unique_ptr<ByteSource> source);

// Seeks to `frame` (below FrameCount): the picture and palette are then those after frame - 1.
TavikStatus SeekDecoder(TavikDecoder& d, uint32_t frame);

// Copies track t's sound from byte `position` of its sound into `buffer`: up to `bytes`, fewer
// only at its end. No state but the caches changes.
TavikStatus CopySound(TavikDecoder& d, int t, uint64_t position, uint8_t* buffer, size_t bytes,
                      size_t* got);

// Where frame `frame`'s sound of track t begins (frame may be FrameCount).
TavikStatus SoundOffsetOf(TavikDecoder& d, uint32_t frame, int t, uint64_t* offset);

// The sound position that plays with frame n: n x FrameTime x bytes per second / 100000,
// rounded down to a whole sample frame.
uint64_t SoundPositionAt(const TavikDecoder& d, uint32_t frame, int t);

// Bytes a track's chunk hands out (0: left out), from its announced size.
uint32_t ChunkSoundBytes(const TavikDecoder& d, int t, uint32_t announced);

}  // namespace tavik
