/* The embedding interface as the web page uses it: a movie opened from bytes the page hands
   over, its pictures converted to RGBA for a canvas, each frame's sound left in place for the
   page to read. Every call takes the handle made by TavikWebCreate. */
#include <emscripten.h>
#include <stdint.h>
#include <stdlib.h>
#include <string.h>

#include "tavik/decoder.h"

/* Pictures up to 64 million pixels (8192 x 8192): the RGBA copy, the indices and the seek
   snapshots stay well inside the 2 GiB that the module may grow to. */
#define TAVIK_WEB_MAX_RGBA_BYTES (256u * 1024u * 1024u)

typedef struct TavikWebMovie {
    TavikDecoder* decoder;
    uint8_t* data; /* the movie's bytes, owned from TavikWebOpen on */
    uint8_t* rgba; /* Width x Height x 4 */
    TavikFrame frame;
    uint32_t firstSoundBytes[7]; /* the sound frame 0 brings, per track */
} TavikWebMovie;

static void Release(TavikWebMovie* m) {
    TavikDecoderClose(m->decoder);
    free(m->data);
    free(m->rgba);
    memset(m, 0, sizeof *m);
}

EMSCRIPTEN_KEEPALIVE TavikWebMovie* TavikWebCreate(void) {
    return calloc(1, sizeof(TavikWebMovie));
}

EMSCRIPTEN_KEEPALIVE void TavikWebClose(TavikWebMovie* m) {
    if (!m) return;
    Release(m);
    free(m);
}

/* Takes over `data` (from malloc), whatever the outcome; closes the movie opened before. */
EMSCRIPTEN_KEEPALIVE TavikStatus TavikWebOpen(TavikWebMovie* m, uint8_t* data, size_t size) {
    if (!m) {
        free(data);
        return TavikErrorArgument;
    }
    Release(m);
    m->data = data;
    TavikStatus status = TavikDecoderOpenMemory(data, size, &m->decoder);
    if (status != TavikOk) {
        Release(m);
        return status;
    }
    const TavikInfo* info = TavikDecoderGetInfo(m->decoder);
    /* Computed in 64 bits: on wasm32 size_t would wrap for the largest pictures. */
    const uint64_t rgbaBytes = 4ull * info->Width * info->Height;
    m->rgba = rgbaBytes <= TAVIK_WEB_MAX_RGBA_BYTES ? malloc((size_t)rgbaBytes) : NULL;
    if (!m->rgba) {
        Release(m);
        return TavikErrorMemory;
    }
    /* The page places sound after a seek by how far frame 0's sound leads the pictures. */
    if (TavikDecoderNext(m->decoder, &m->frame) == TavikOk)
        for (int t = 0; t < 7; ++t) m->firstSoundBytes[t] = m->frame.SoundBytes[t];
    status = TavikDecoderSeek(m->decoder, 0);
    memset(&m->frame, 0, sizeof m->frame);
    if (status != TavikOk) Release(m);
    return status;
}

/* Null before a movie is open. */
EMSCRIPTEN_KEEPALIVE const TavikInfo* TavikWebInfo(const TavikWebMovie* m) {
    return m && m->decoder ? TavikDecoderGetInfo(m->decoder) : NULL;
}

/* The next frame in play order; with `convert`, its picture into the RGBA buffer too. */
EMSCRIPTEN_KEEPALIVE TavikStatus TavikWebNext(TavikWebMovie* m, int convert) {
    if (!m || !m->decoder) return TavikErrorArgument;
    const TavikStatus status = TavikDecoderNext(m->decoder, &m->frame);
    if (status != TavikOk || !convert) return status;
    const TavikInfo* info = TavikDecoderGetInfo(m->decoder);
    return TavikConvertFrame(&m->frame, info, TavikRGBA32, m->rgba, (ptrdiff_t)info->Width * 4);
}

EMSCRIPTEN_KEEPALIVE TavikStatus TavikWebSeek(TavikWebMovie* m, uint32_t frame) {
    if (!m || !m->decoder) return TavikErrorArgument;
    return TavikDecoderSeek(m->decoder, frame);
}

EMSCRIPTEN_KEEPALIVE const uint8_t* TavikWebPixels(const TavikWebMovie* m) {
    return m ? m->rgba : NULL;
}

EMSCRIPTEN_KEEPALIVE uint32_t TavikWebFrameNumber(const TavikWebMovie* m) {
    return m ? m->frame.Number : 0;
}

/* The last frame's sound of track `t` in the track's PCM format, or null. */
EMSCRIPTEN_KEEPALIVE const uint8_t* TavikWebSound(const TavikWebMovie* m, uint32_t t) {
    return m && t < 7 ? m->frame.Sound[t] : NULL;
}

EMSCRIPTEN_KEEPALIVE uint32_t TavikWebSoundBytes(const TavikWebMovie* m, uint32_t t) {
    return m && t < 7 && m->frame.Sound[t] ? m->frame.SoundBytes[t] : 0;
}

EMSCRIPTEN_KEEPALIVE uint32_t TavikWebFirstSoundBytes(const TavikWebMovie* m, uint32_t t) {
    return m && t < 7 ? m->firstSoundBytes[t] : 0;
}

EMSCRIPTEN_KEEPALIVE const char* TavikWebStatusText(TavikStatus status) {
    return TavikStatusText(status);
}
