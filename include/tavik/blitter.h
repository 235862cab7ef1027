/* The blitter: converts rectangles of decoded 8-bit pictures (palette indices) into an 8-bit or
   16-bit screen surface, at 1x or 2x (doubled, interlaced or smoothed). C-compatible. */
#ifndef TAVIK_BLITTER_H
#define TAVIK_BLITTER_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* Open flags: the argument of BlitterOpen. */
enum {
    BlitterUnscaled = 1,  /* set for unscaled output; does not change the mode */
    BlitterDouble = 2,    /* 2x: the destination is twice as wide and twice as high */
    BlitterSmoothing = 4, /* 2x with interpolated pixels; wins over the two below */
    BlitterInterlaced = 8 /* 2x horizontally, every other line; wins over BlitterDouble */
};
/* Destination pixel format, bits 30 and 31 of the open flags; both clear is 8-bit indices.
   Bit 30 alone is not a format: BlitterOpen refuses it. */
#define TAVIK_BLITTER_555 0x80000000u
#define TAVIK_BLITTER_565 0xC0000000u
#define TAVIK_BLITTER_FORMAT_MASK 0xC0000000u

/* Mode numbers, worked out from the open flags (4 and 5 do not occur). */
enum {
    BlitterMode8Bit1x = 0,
    BlitterMode8Bit2x = 1,
    BlitterMode8Bit2xInterlaced = 2,
    BlitterMode8Bit2xSmoothing = 3,
    BlitterMode16Bit1x = 6,
    BlitterMode16Bit2x = 7,
    BlitterMode16Bit2xInterlaced = 8,
    BlitterMode16Bit2xSmoothing = 9
};

/* Palette layout word of BlitterSetPalette. */
enum {
    BlitterLayoutWideChannels = 1, /* each channel is a native 16-bit value; its low byte counts */
    BlitterLayoutBlueFirst = 2,    /* entries are blue, green, red */
    BlitterLayoutFourBytes = 4,    /* four channels per entry instead of three */
    BlitterLayoutSecondByte = 8    /* with FourBytes: the colour starts at the second channel */
};

/* Room BlitterName needs, terminating zero included. */
#define TAVIK_BLITTER_NAME_SIZE 32

typedef struct TavikBlitter TavikBlitter;

/* A new blitter, or null when memory is short or the format bits are bit 30 alone. Nothing is
   built yet: 16-bit and smoothing modes need a palette before their first blit. */
TavikBlitter* BlitterOpen(uint32_t flags);

/* Takes a palette of 256 entries laid out as the layout word says: 3 or 4 channels per entry, one
   byte each, or two with BlitterLayoutWideChannels (so 3, 4, 6 or 8 bytes per entry, all 256 of
   which must be readable). Rebuilds the tables only when the colours changed, and always on the
   first palette. Does nothing for 8-bit modes without smoothing or a null argument. */
void BlitterSetPalette(TavikBlitter* blitter, const void* palette, uint32_t layout);

/* Writes the mode's name into text (at least TAVIK_BLITTER_NAME_SIZE bytes) and returns text;
   " using MMX" follows the name in the modes with wide loops while those are in use. An empty
   name for a null blitter. */
char* BlitterName(const TavikBlitter* blitter, char* text);

/* Copies the width x height rectangle at (sourceX, sourceY) of the 8-bit source picture to the
   destination surface at (destinationX, destinationY), converting and scaling by the mode.
   Positions, width and height are in source pixels; pitches are in bytes and may be negative
   (bottom-up pictures). In the 2x modes the rectangle lands at twice the destination position.

   Nothing is checked beyond null pointers and an empty rectangle; the caller guarantees:
   - source rows sourceY .. sourceY + height - 1, columns sourceX .. sourceX + width - 1 are
     readable (nothing outside them is read, not even by the smoothing modes);
   - with s = 1 (1x) or 2 (2x) and b = 1 (8-bit) or 2 (16-bit) bytes per pixel, destination rows
     s x destinationY .. s x (destinationY + height) - 1 at bytes b x s x destinationX ..
     b x s x (destinationX + width) - 1 are writable (interlaced modes write every other one
     of those rows, starting with the first), and |destinationPitch| >= b x s x width so that
     rows do not overlap;
   - source and destination do not overlap. */
void Blit(TavikBlitter* blitter, void* destination, int32_t destinationPitch, uint32_t destinationX,
          uint32_t destinationY, uint32_t sourceX, int32_t sourcePitch, const void* source,
          uint32_t sourceY, uint32_t width, uint32_t height);

/* Frees the blitter and its tables; null is allowed. */
void BlitterClose(TavikBlitter* blitter);

/* The name of a mode number, or "" for a number that does not occur. */
const char* BlitterModeName(uint32_t mode);

/* The same six under the library's prefix. A shared libtavik exports only these names (names
   without the prefix would collide with a program's own); the static library has both. */
TavikBlitter* TavikBlitterOpen(uint32_t flags);
void TavikBlitterSetPalette(TavikBlitter* blitter, const void* palette, uint32_t layout);
char* TavikBlitterName(const TavikBlitter* blitter, char* text);
void TavikBlit(TavikBlitter* blitter, void* destination, int32_t destinationPitch,
               uint32_t destinationX, uint32_t destinationY, uint32_t sourceX, int32_t sourcePitch,
               const void* source, uint32_t sourceY, uint32_t width, uint32_t height);
void TavikBlitterClose(TavikBlitter* blitter);
const char* TavikBlitterModeName(uint32_t mode);

#ifdef __cplusplus
}
#endif

#endif
