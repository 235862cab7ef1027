/* The embedding interface: one decoder per open movie, each with its own state, reading
   through a file, a block of memory or the caller's callbacks; pictures with their palettes,
   every track's sound, seeking and conversion to truecolour. Distinct decoders may be used on
   distinct threads at once. C-compatible. */
#ifndef TAVIK_DECODER_H
#define TAVIK_DECODER_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct TavikDecoder TavikDecoder; /* one open movie; opaque */

typedef enum TavikStatus {
    TavikOk = 0,
    TavikEndOfMovie = 1,
    TavikErrorIo = -1,
    TavikErrorFormat = -2,
    TavikErrorMemory = -3,
    TavikErrorArgument = -4
} TavikStatus;

typedef enum TavikPixelFormat {
    TavikRGB24,
    TavikRGBA32,
    TavikBGRA32,
    TavikRGB565
} TavikPixelFormat;

/* The caller's own source of bytes. */
typedef struct TavikReader {
    void* User;
    /* Bytes read; 0 at the end or on error. */
    size_t (*Read)(void* user, void* destination, size_t count);
    /* To an absolute offset from the movie's first byte; 0 = done. */
    int (*Seek)(void* user, uint64_t offset);
} TavikReader;

typedef struct TavikTrackInfo {
    uint32_t Present, Rate, Channels, Bits;
} TavikTrackInfo;

typedef struct TavikInfo {
    uint32_t Width,
        Height;          /* Height as shown: twice the stored height when interlaced or doubled */
    uint32_t FrameCount; /* not counting the ring frame */
    uint32_t FrameTime;  /* 10-microsecond ticks per frame; 0 = no timing */
    uint32_t HasRingFrame;
    TavikTrackInfo Tracks[7]; /* Present = 1 for a track that carries sound */
} TavikInfo;

typedef struct TavikFrame {
    uint32_t Number;         /* 0 .. FrameCount-1, FrameCount for the ring frame */
    const uint8_t* Pixels;   /* Width x Height palette indices, top-down, Width bytes a line */
    const uint8_t* Palette;  /* 256 x R, G, B: the palette in force for this frame */
    uint32_t PaletteChanged; /* 1 when this frame brought a new palette */
    const uint8_t* Sound[7]; /* this frame's sound of each track, in its PCM format; or null */
    uint32_t SoundBytes[7];
} TavikFrame;

TavikStatus TavikDecoderOpenFile(const char* path, TavikDecoder** decoder);
/* `data` must outlive the decoder. */
TavikStatus TavikDecoderOpenMemory(const void* data, size_t size, TavikDecoder** decoder);
/* The reader is copied. */
TavikStatus TavikDecoderOpenReader(const TavikReader* reader, TavikDecoder** decoder);
const TavikInfo* TavikDecoderGetInfo(const TavikDecoder* decoder);
void TavikDecoderSetLooping(TavikDecoder* decoder, int on);
/* Which tracks' sound TavikDecoderNext hands out: bit t for track t (all, 0x7F, at first).
   A program that plays one track saves the time of decoding the others. */
void TavikDecoderSetSoundTracks(TavikDecoder* decoder, uint32_t tracks);
/* The next frame in play order; its pointers stay valid until the next call on the decoder. */
TavikStatus TavikDecoderNext(TavikDecoder* decoder, TavikFrame* frame);
/* The next TavikDecoderNext returns frame `frame` as play from the start first shows it.
   Play keeps a snapshot of the picture and palette every 8 frames as it first passes them
   (further apart for movies whose pictures would take more than 64 MiB that way), so a seek
   decodes at most that many frames once play has passed the target's snapshot. */
TavikStatus TavikDecoderSeek(TavikDecoder* decoder, uint32_t frame);
/* Where frame `frame`'s sound of track `track` begins in the track's sound: the bytes that
   TavikDecoderNext hands out for that track over frames 0 to `frame` - 1 (`frame` may be
   FrameCount). A movie's sound runs ahead of its pictures (its first frame carries a lead of
   about a second), so after a seek to frame n the sound that belongs with the picture begins
   at n x the track's bytes per frame, and earlier frames brought it: this finds them. Reads,
   without decoding, the frames it has not counted before. */
TavikStatus TavikDecoderSoundOffset(TavikDecoder* decoder, uint32_t frame, uint32_t track,
                                    uint64_t* offset);
TavikStatus TavikConvertFrame(const TavikFrame* frame, const TavikInfo* info,
                              TavikPixelFormat format, void* pixels, ptrdiff_t pitch);
void TavikDecoderClose(TavikDecoder* decoder);
/* A short English sentence for every status. */
const char* TavikStatusText(TavikStatus status);

#ifdef __cplusplus
}
#endif

#endif
