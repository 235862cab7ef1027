/* The embedding interface as the web page uses it: a movie opened from bytes the page hands
   over, its pictures converted to RGBA for a canvas, and a track's sound in playing order read
   into a buffer for the page to queue. Every call takes the handle made by TavikWebCreate. */
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
    uint8_t* sound; /* what TavikWebReadSound read last */
    size_t soundCapacity;
} TavikWebMovie;

static void Release(TavikWebMovie* m) {
    TavikDecoderClose(m->decoder);
    free(m->data);
    free(m->rgba);
    free(m->sound);
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
    /* The decoder's own memory (picture, tables, snapshots, sound buffers) is capped as well, so
       that a file that claims more is refused before anything is made for it. */
    const TavikDecoderLimits limits = {0, 0, 512u * 1024u * 1024u};
    TavikStatus status = TavikDecoderOpenMemoryLimited(data, size, &limits, &m->decoder);
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
    /* Sound comes from TavikWebReadSound alone: frames need not decode theirs. */
    TavikDecoderSetSoundTracks(m->decoder, 0);
    return TavikOk;
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

/* Pictures from frame `frame` on, and every track's sound from what plays with it. */
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

/* Reads up to `bytes` bytes of track `t`'s sound, in its PCM format, from where the last read
   or seek left it, into the buffer that TavikWebSound gives. Returns the bytes read: 0 at the
   end of the track's sound, a negative status when it cannot be read. */
EMSCRIPTEN_KEEPALIVE int32_t TavikWebReadSound(TavikWebMovie* m, uint32_t t, uint32_t bytes) {
    if (!m || !m->decoder || bytes > INT32_MAX) return TavikErrorArgument;
    if (bytes > m->soundCapacity) {
        uint8_t* grown = realloc(m->sound, bytes);
        if (!grown) return TavikErrorMemory;
        m->sound = grown;
        m->soundCapacity = bytes;
    }
    size_t got = 0;
    const TavikStatus status = TavikDecoderReadSound(m->decoder, t, m->sound, bytes, &got);
    /* What was read before a failure still plays; the failure comes with the next read. */
    if (got > 0 || status == TavikEndOfMovie) return (int32_t)got;
    return status == TavikOk ? 0 : status;
}

EMSCRIPTEN_KEEPALIVE const uint8_t* TavikWebSound(const TavikWebMovie* m) {
    return m ? m->sound : NULL;
}

EMSCRIPTEN_KEEPALIVE const char* TavikWebStatusText(TavikStatus status) {
    return TavikStatusText(status);
}
