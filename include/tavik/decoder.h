/* The embedding interface: one decoder per open movie, each with its own state, reading
   through a file, a block of memory or the caller's callbacks; pictures with their palettes,
   every track's sound, seeking and conversion to truecolour. Distinct decoders may be used on
   distinct threads at once. C-compatible.

   Pictures: TavikDecoderNext hands out frames in play order. Sound: TavikDecoderReadSound
   hands out each track's sound in playing order from the decoder's sound position, which a
   seek moves to the sound that plays with the new frame; the two go on independently.

       TavikDecoder* d;
       if (TavikDecoderOpenFile("movie.tvk", &d) != TavikOk) return;
       TavikDecoderSeek(d, 300);                  // pictures and sound from frame 300 on
       TavikFrame frame;
       uint8_t pcm[4096];
       size_t got;
       while (TavikDecoderNext(d, &frame) == TavikOk) {
           // show frame.Pixels through frame.Palette; then queue about a frame's sound:
           TavikDecoderReadSound(d, 0, pcm, sizeof pcm, &got);
       }
       TavikDecoderClose(d);

   Sound layout (every track, in both places): 8-bit samples are unsigned (silence 0x80),
   16-bit samples signed little-endian (silence 0); stereo is interleaved, left first. */
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
    TavikErrorArgument = -4,
    TavikErrorLimit = -5 /* the movie needs more than the program's TavikDecoderLimits allow */
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

/* TavikFrame.Damage: what a frame whose chunks are damaged lost. */
enum {
    TavikDamagePalette = 1, /* its palette chunk runs past the frame: the palette stays */
    TavikDamageSound = 2,   /* a sound chunk runs past the frame or announces more than 4 MiB
                               (or more than the memory limit allows): that sound is left out;
                               a compressed chunk whose stream ends early is filled with silence */
    TavikDamagePicture = 4  /* a chunk before the picture's ran past the frame: the picture stays */
};

typedef struct TavikFrame {
    uint32_t Number;         /* 0 .. FrameCount-1, FrameCount for the ring frame */
    const uint8_t* Pixels;   /* Width x Height palette indices, top-down, Width bytes a line */
    const uint8_t* Palette;  /* 256 x R, G, B: the palette in force for this frame */
    uint32_t PaletteChanged; /* 1 when this frame brought a new palette */
    const uint8_t* Sound[7]; /* this frame's sound of each track, in its PCM format; or null */
    uint32_t SoundBytes[7];
    uint32_t Damage; /* 0, or TavikDamage... flags: the frame's chunks are damaged */
} TavikFrame;

/* Limits a program sets on the movies it opens, checked before anything large is allocated;
   a movie beyond them fails to open with TavikErrorLimit. 0 in a field means no limit beyond
   the format's own (16384 pixels a side). */
typedef struct TavikDecoderLimits {
    uint32_t MaxWidth, MaxHeight; /* the picture as shown (Height twice the stored height for
                                     interlaced and doubled movies) */
    uint64_t MaxMemory;           /* bytes the decoder may hold: tables, trees, the picture,
                                     frame and sound buffers, seek snapshots (which get what is
                                     left, up to their usual 64 MiB) */
} TavikDecoderLimits;

TavikStatus TavikDecoderOpenFile(const char* path, TavikDecoder** decoder);
/* `data` must outlive the decoder. */
TavikStatus TavikDecoderOpenMemory(const void* data, size_t size, TavikDecoder** decoder);
/* The reader is copied. */
TavikStatus TavikDecoderOpenReader(const TavikReader* reader, TavikDecoder** decoder);
/* The same three with limits (null: none). */
TavikStatus TavikDecoderOpenFileLimited(const char* path, const TavikDecoderLimits* limits,
                                        TavikDecoder** decoder);
TavikStatus TavikDecoderOpenMemoryLimited(const void* data, size_t size,
                                          const TavikDecoderLimits* limits, TavikDecoder** decoder);
TavikStatus TavikDecoderOpenReaderLimited(const TavikReader* reader,
                                          const TavikDecoderLimits* limits, TavikDecoder** decoder);
const TavikInfo* TavikDecoderGetInfo(const TavikDecoder* decoder);
void TavikDecoderSetLooping(TavikDecoder* decoder, int on);
/* Which tracks' sound TavikDecoderNext hands out: bit t for track t (all, 0x7F, at first).
   A program that plays one track saves the time of decoding the others. */
void TavikDecoderSetSoundTracks(TavikDecoder* decoder, uint32_t tracks);
/* The next frame in play order; its pointers stay valid until the next call on the decoder.
   A frame whose chunks are damaged is still TavikOk: its Damage field says what it lost. */
TavikStatus TavikDecoderNext(TavikDecoder* decoder, TavikFrame* frame);
/* The next TavikDecoderNext returns frame `frame` as play from the start first shows it, and
   every track's sound position moves to the sound that plays with it (see
   TavikDecoderReadSound). Play keeps a snapshot of the picture and palette every 8 frames as it
   first passes them (further apart for movies whose pictures would take more than 64 MiB that
   way), so a seek decodes at most that many frames once play has passed the target's snapshot.
*/
TavikStatus TavikDecoderSeek(TavikDecoder* decoder, uint32_t frame);
/* Copies up to `bytes` bytes of track `track`'s sound, in its PCM format (see the layout
   above), from the decoder's sound position for that track, and advances the position by
   `*got`. A track's sound is what TavikDecoderNext hands out for it over frames 0 to
   FrameCount - 1, one frame after another; a movie's sound runs ahead of its pictures (its
   first frame carries a lead of about a second), so this is the way to play sound with
   pictures after a seek. After open the position is 0; after TavikDecoderSeek(decoder, n) it
   is byte floor(n x FrameTime x bytes per second / 100000), rounded down to a whole sample
   frame: the sound that plays with frame n (frame n's own sound for a movie without timing).
   `*got` is less than `bytes` only at the end of the track's sound; once nothing is left the
   status is TavikEndOfMovie. Looping does not wrap it. Frames are read for their sound chunks
   only: no picture is decoded. A track that is not present has no sound (TavikEndOfMovie). */
TavikStatus TavikDecoderReadSound(TavikDecoder* decoder, uint32_t track, void* buffer, size_t bytes,
                                  size_t* got);
/* Where frame `frame`'s sound of track `track` begins in the track's sound: the bytes that
   TavikDecoderNext hands out for that track over frames 0 to `frame` - 1 (`frame` may be
   FrameCount). Reads, without decoding, the frames it has not counted before. */
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
