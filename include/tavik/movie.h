/* The movie handle and the movie-core operations. C-compatible. */
#ifndef TAVIK_MOVIE_H
#define TAVIK_MOVIE_H

#include <stdint.h>

#include "tavik/system.h"

#ifdef __cplusplus
extern "C" {
#endif

/* Open flags: the second argument of TavikOpen. */
enum {
    TavikRateOverride = 0x80,
    TavikFillRing = 0x100,
    TavikPreload = 0x200,
    TavikNoSkip = 0x400,
    TavikSimulateSpeed = 0x800,
    TavikFileHandle = 0x1000,
    TavikTrack0 = 0x2000,
    TavikTrack1 = 0x4000,
    TavikTrack2 = 0x8000,
    TavikTrack3 = 0x10000,
    TavikTrack4 = 0x20000,
    TavikTrack5 = 0x40000,
    TavikTrack6 = 0x80000,
    TavikAllTracks = 0xFE000,
    TavikInterlace = 0x100000,
    TavikDouble = 0x200000,
    TavikNoScale = 0x300000,
    TavikOwnMemory = 0x2000000
};

#define TAVIK_TRACK_FLAG(t) (0x2000u << (t))
#define TAVIK_MAX_TRACKS 7
#define TAVIK_HEADER_SIZE 104
#define TAVIK_CHOOSE_RING_SIZE 0xFFFFFFFFu
#define TAVIK_NOT_STARTED 0xFFFFFFFFu

/* Header Flags bits. */
enum { TavikFlagRingFrame = 1, TavikFlagInterlaced = 2, TavikFlagDoubled = 4 };

/* AudioFormat word bits. */
#define TAVIK_AUDIO_RATE_MASK 0x00FFFFFFu
#define TAVIK_AUDIO_STEREO 0x10000000u
#define TAVIK_AUDIO_16BIT 0x20000000u
#define TAVIK_AUDIO_PRESENT 0x40000000u
#define TAVIK_AUDIO_COMPRESSED 0x80000000u

/* Destination format word of TavikSetDest. */
#define TAVIK_DEST_BOTTOM_UP 1u
#define TAVIK_DEST_555 0x80000000u
#define TAVIK_DEST_565 0xC0000000u

/* Rectangle modes of TavikNextRect. */
enum { TavikRectsMerged = 0, TavikRectsBounding = 1, TavikRectsNone = 2 };

/* The movie header exactly as stored at the start of the file (little-endian). */
typedef struct TavikHeader {
    char Magic[4];
    uint32_t Width;
    uint32_t Height;
    uint32_t FrameCount;
    int32_t FrameRate;
    uint32_t Flags;
    uint32_t AudioMaxSize[TAVIK_MAX_TRACKS];
    uint32_t TreeBlockSize;
    uint32_t TreeSizes[4];
    uint32_t AudioFormat[TAVIK_MAX_TRACKS];
    uint32_t Reserved;
} TavikHeader;

typedef struct TavikDestDesc TavikDestDesc;
typedef struct TavikSoundTrack TavikSoundTrack;

/* One open movie. Everything it points to belongs to it and is released by TavikClose. */
typedef struct TavikMovie {
    TavikHeader Header;
    uint32_t NewPalette;
    uint8_t Palette[768];
    uint32_t FrameNum;
    uint32_t FrameSize;
    uint32_t VideoOffset;
    uint32_t LastRect[4];
    uint32_t OpenFlags;
    uint32_t DestX, DestY;
    uint32_t LargestFrame;
    uint32_t HighestRate;
    uint32_t HighestRateFrame;
    uint32_t ReadError;
    TavikFile File;
    uint32_t IOBufferSize;
    uint8_t* Trees;
    TavikDestDesc* Dest;
    uint32_t DestSize;
    uint32_t RemapPending;
    uint16_t* ColourTable16;
    uint32_t FirstFrameOffset;
    uint8_t* IOBuffer;
    uint8_t* FramePtr;
    int32_t PaletteFrame;
    uint32_t* FrameSizes;
    uint8_t* FrameTypes;
    uint8_t* PaletteChunk;
    uint8_t* AudioChunks[TAVIK_MAX_TRACKS];
    uint8_t* VideoChunk;
    uint32_t RectState;
    uint32_t BlockRect[4];
    uint32_t WaitDone;
    uint32_t NextDue;
    uint32_t FrameTime;
    TavikSoundTrack* Tracks[TAVIK_MAX_TRACKS];
    int32_t TimingTrack;
    uint32_t SyncPending;
    uint32_t Paused;
    uint8_t* RingStart;
    uint8_t* RingEnd;
    uint8_t* RingRead;
    uint8_t* RingWrite;
    uint32_t RingFill;
    uint32_t RingSize;
    uint32_t NextFileOffset;
    uint32_t ReadBytes, ReadTime;
    uint32_t BackReadBytes, BackReadTime;
    uint32_t RingHighest;
    uint32_t MemUsed;
    uint32_t FrameStart, DecompStart, BlitStart;
    uint32_t FirstFrameTime;
    uint32_t OpenTime;
    uint32_t OpenReadTime;
    uint32_t FramesDecoded, FramesSkipped;
    uint32_t BlitTime, DecompTime;
    uint32_t SlowestTime, SecondSlowestTime;
    uint32_t SlowestFrame, SecondSlowestFrame;
    uint32_t AverageFrameSize;
    uint32_t MemHighest;
    uint32_t ReadSpeed;
    uint32_t RectCount;
    uint32_t Rects[16];
    uint32_t PauseFrame;
    uint32_t TreesRemapped;
    uint32_t ColoursKnown;
    uint8_t ColourUsed[256];

    /* Kept beside the specified fields: sizes the decoders need to stay inside their buffers. */
    uint32_t TotalFrameBytes;           /* sum of all frame sizes */
    uint32_t VideoSize;                 /* bytes of the current frame's video chunk */
    struct TavikMarkerRuns* MarkerRuns; /* the full-block tree's run lookup, built with the trees */
    struct TavikDecoder* Seeker;        /* made by the first TavikSeek: snapshots for seeking */
    uint32_t ShowWholeFrame;            /* after a seek: the next decoded frame is shown whole */
} TavikMovie;

/* The 19 statistics of one playback. */
typedef struct TavikSummary {
    uint32_t TotalTime;
    uint32_t FrameTime;
    uint32_t OpenTime;
    uint32_t FramesPlayed;
    uint32_t FramesSkipped;
    uint32_t SoundSkips;
    uint32_t BlitTime;
    uint32_t PlayReadTime;
    uint32_t DecompTime;
    uint32_t BackReadTime;
    uint32_t DeviceSpeed;
    uint32_t SlowestTime;
    uint32_t SecondSlowestTime;
    uint32_t SlowestFrame;
    uint32_t SecondSlowestFrame;
    uint32_t AverageFrameSize;
    uint32_t MemoryUsed;
    uint32_t ExtraBuffer;
    uint32_t ExtraBufferUsed;
} TavikSummary;

/* Opening and closing. `source` is a file name, a TavikFile cast to a pointer with
   TavikFileHandle, or a caller-owned TavikMovie with TavikOwnMemory. */
TavikMovie* TavikOpen(const void* source, uint32_t openFlags, uint32_t extraBufferSize);
/* Typed convenience for TavikOpen(..., flags | TavikFileHandle, ...). */
TavikMovie* TavikOpenFile(TavikFile file, uint32_t openFlags, uint32_t extraBufferSize);
void TavikClose(TavikMovie* movie);

/* Reading. */
uint32_t TavikRead(TavikMovie* movie, void* destination, uint32_t count);
void TavikReadFrame(TavikMovie* movie);
uint32_t TavikReadAhead(TavikMovie* movie);
void TavikSeekFrames(TavikMovie* movie, uint32_t offset);

/* Frame stepping and timing. */
uint32_t TavikDecodeFrame(TavikMovie* movie);
void TavikAdvance(TavikMovie* movie);
uint32_t TavikNotYetDue(TavikMovie* movie);
uint32_t TavikSetPlaying(TavikMovie* movie, int32_t playing);
void TavikSetFrameRate(int32_t rate);
void TavikSetReadSpeed(uint32_t bytesPerSecond);
void TavikGetSummary(TavikMovie* movie, TavikSummary* summary);

/* Moves the movie to frame `frame` (below FrameCount) as if play had reached it: the picture
   in the destination and the palette become those after frame - 1, the reader stands on
   `frame` (set up: its palette chunk taken over, NewPalette set), the sound tracks start over
   with the sound that plays with that frame queued first, and the pacing starts afresh; the
   next TavikDecodeFrame decodes `frame` and its rectangles cover the whole picture (a 16-bit
   destination gets the picture through the palette of frame - 1, where play would have left
   pixels drawn under earlier palettes in their old colours). A paused
   movie stays paused, and resuming plays on from `frame`. The first call keeps a decoder beside
   the movie (not counted in its memory statistics) whose snapshots make later seeks cheap.
   Returns 1, or 0 for a null handle, a frame out of range, or when memory runs out. None of
   the other operations calls it. */
uint32_t TavikSeek(TavikMovie* movie, uint32_t frame);

/* Copying frames out. */
void TavikSetDest(TavikMovie* movie, uint32_t x, uint32_t y, int32_t pitch, uint32_t height,
                  void* pixels, uint32_t format);
uint32_t TavikNextRect(TavikMovie* movie, uint32_t mode);
void TavikRemap(TavikMovie* movie, const void* entries, uint32_t count, uint32_t entryFormat,
                uint32_t reserved);
void TavikServiceSound(void);
uint32_t TavikUseMMX(uint32_t on);

/* The movie core's aligned allocator. With a movie, the size counts in its memory statistics. */
void* TavikAlloc(TavikMovie* movie, uint32_t size);
void TavikFree(void* block);

#ifdef __cplusplus
}
#endif

#endif
