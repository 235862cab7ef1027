/* sdl_play: a complete movie player over tavik/decoder.h and SDL2.
 *
 *   sdl_play MOVIE [TRACK]
 *
 * Pictures go through a streaming RGBA texture; the sound of one track (the first that carries
 * sound, or TRACK) is read in playing order and kept about a quarter of a second ahead in SDL's
 * audio queue, and each picture is shown when the sound before it has been played, so picture
 * and sound stay in step whatever the machine does. Without sound, pictures follow the clock.
 * Space pauses, Left and Right seek 5 seconds, Escape or closing the window quits. */
#include <SDL.h>
#include <stdio.h>
#include <stdlib.h>
#include <string.h>
#include <tavik/decoder.h>

enum { kStop, kGoOn, kSeeked }; /* what the user's events asked for */

typedef struct Player {
    TavikDecoder* decoder;
    const TavikInfo* info;
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    SDL_AudioDeviceID audio;
    int track;               /* -1: no sound */
    uint64_t bytesPerSecond; /* of the track's sound */
    uint8_t silence;         /* the track's silent byte */
    int soundEnded;          /* the track's sound has all been queued */
    uint64_t startTime;      /* the movie's time at the last start or seek, in microseconds */
    uint64_t soundQueued;    /* bytes handed to the queue since then */
    uint64_t clockStart;     /* SDL_GetTicks64 then, for movies without sound */
    uint64_t pausedFor;      /* milliseconds spent paused since then, for movies without sound */
    uint32_t shown;          /* the frame on the screen */
    int paused;
} Player;

static int Fail(const char* what, const char* why) {
    fprintf(stderr, "sdl_play: %s: %s\n", what, why);
    return 1;
}

/* Microseconds of the movie played so far: the sound that has left the queue, or the clock. */
static uint64_t PlayedMicroseconds(const Player* p) {
    if (p->track >= 0) {
        uint64_t played = p->soundQueued - SDL_GetQueuedAudioSize(p->audio);
        return p->startTime + played * 1000000u / p->bytesPerSecond;
    }
    return p->startTime + (SDL_GetTicks64() - p->clockStart - p->pausedFor) * 1000u;
}

/* Keeps about a quarter of a second of sound queued. When the track's sound is over, silence
   keeps the sound clock going while `pad` asks for it (pictures remain). */
static void FeedSound(Player* p, int pad) {
    uint8_t pcm[4096]; /* whole sample frames of any layout */
    size_t got = 0;
    while (p->track >= 0 && SDL_GetQueuedAudioSize(p->audio) < p->bytesPerSecond / 4) {
        if (p->soundEnded || TavikDecoderReadSound(p->decoder, (uint32_t)p->track, pcm, sizeof pcm,
                                                   &got) != TavikOk) {
            p->soundEnded = 1;
            if (!pad) return;
            memset(pcm, p->silence, sizeof pcm);
            got = sizeof pcm;
        }
        SDL_QueueAudio(p->audio, pcm, (Uint32)got);
        p->soundQueued += got;
    }
}

/* Pictures and sound from frame `frame` on: the decoder moves both, the queue starts afresh. */
static void SeekTo(Player* p, uint32_t frame) {
    TavikDecoderSeek(p->decoder, frame);
    if (p->track >= 0) SDL_ClearQueuedAudio(p->audio);
    p->soundEnded = 0;
    p->soundQueued = 0;
    p->startTime = (uint64_t)frame * p->info->FrameTime * 10u;
    p->clockStart = SDL_GetTicks64();
    p->pausedFor = 0;
}

static int OpenSound(Player* p, int wanted) {
    p->track = -1;
    for (int t = 0; t < 7; ++t) {
        if (p->info->Tracks[t].Present && (wanted < 0 ? p->track < 0 : t == wanted)) p->track = t;
    }
    TavikDecoderSetSoundTracks(p->decoder, p->track < 0 ? 0 : 1u << p->track);
    if (p->track < 0) return 0;
    const TavikTrackInfo* track = &p->info->Tracks[p->track];
    SDL_AudioSpec want, have;
    SDL_zero(want);
    want.freq = (int)track->Rate;
    want.format = track->Bits == 16 ? AUDIO_S16LSB : AUDIO_U8;
    want.channels = (Uint8)track->Channels;
    want.samples = 2048;
    p->audio = SDL_OpenAudioDevice(NULL, 0, &want, &have, 0);
    if (p->audio == 0) return Fail("sound", SDL_GetError());
    p->bytesPerSecond = (uint64_t)track->Rate * track->Channels * (track->Bits / 8);
    p->silence = track->Bits == 16 ? 0x00 : 0x80;
    SDL_PauseAudioDevice(p->audio, 0);
    return 0;
}

static int OpenWindow(Player* p, const char* title) {
    p->window = SDL_CreateWindow(title, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED,
                                 (int)p->info->Width, (int)p->info->Height, SDL_WINDOW_RESIZABLE);
    if (!p->window) return Fail("window", SDL_GetError());
    p->renderer = SDL_CreateRenderer(p->window, -1, 0);
    if (!p->renderer) return Fail("renderer", SDL_GetError());
    SDL_RenderSetLogicalSize(p->renderer, (int)p->info->Width, (int)p->info->Height);
    /* RGBA32 names the byte order R, G, B, A in memory, as TavikRGBA32 writes it. */
    p->texture = SDL_CreateTexture(p->renderer, SDL_PIXELFORMAT_RGBA32, SDL_TEXTUREACCESS_STREAMING,
                                   (int)p->info->Width, (int)p->info->Height);
    if (!p->texture) return Fail("texture", SDL_GetError());
    return 0;
}

static void Present(Player* p, const TavikFrame* frame) {
    void* pixels;
    int pitch;
    if (SDL_LockTexture(p->texture, NULL, &pixels, &pitch) == 0) {
        TavikConvertFrame(frame, p->info, TavikRGBA32, pixels, pitch);
        SDL_UnlockTexture(p->texture);
    }
    SDL_RenderClear(p->renderer);
    SDL_RenderCopy(p->renderer, p->texture, NULL, NULL);
    SDL_RenderPresent(p->renderer);
    p->shown = frame->Number;
}

/* Handles the waiting events: kStop when the user wants to stop, kSeeked after a seek. */
static int HandleEvents(Player* p) {
    SDL_Event event;
    int result = kGoOn;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) return kStop;
        if (event.type != SDL_KEYDOWN) continue;
        const SDL_Keycode key = event.key.keysym.sym;
        if (key == SDLK_ESCAPE) return kStop;
        if (key == SDLK_SPACE) {
            p->paused = !p->paused;
            if (p->track >= 0) SDL_PauseAudioDevice(p->audio, p->paused);
        } else if ((key == SDLK_LEFT || key == SDLK_RIGHT) && p->info->FrameTime > 0) {
            const int64_t by = 500000 / p->info->FrameTime, last = (int64_t)p->info->FrameCount - 1;
            const int64_t to = (int64_t)p->shown + (key == SDLK_LEFT ? -by : by);
            SeekTo(p, (uint32_t)(to < 0 ? 0 : to > last ? last : to));
            result = kSeeked;
        }
    }
    return result;
}

/* Waits until the frame is due, keeping sound queued; returns what the user asked for meanwhile
   (kGoOn once the frame is due). */
static int WaitFor(Player* p, uint64_t dueMicroseconds) {
    for (;;) {
        uint64_t pauseStart = SDL_GetTicks64();
        const int asked = HandleEvents(p);
        if (asked != kGoOn) return asked;
        FeedSound(p, 1);
        if (p->paused) {
            SDL_Delay(10);
            p->pausedFor += SDL_GetTicks64() - pauseStart;
            continue;
        }
        uint64_t played = PlayedMicroseconds(p);
        if (played >= dueMicroseconds) return kGoOn;
        uint64_t wait = (dueMicroseconds - played) / 1000u;
        SDL_Delay((Uint32)(wait > 10 ? 10 : wait));
    }
}

static int Play(Player* p) {
    TavikFrame frame;
    TavikStatus status;
    int asked = kSeeked;
    SeekTo(p, 0);
    while (asked == kSeeked) {
        while ((status = TavikDecoderNext(p->decoder, &frame)) == TavikOk) {
            if (p->paused) Present(p, &frame); /* a seek while paused shows its frame */
            /* Frame n is due n frame times into the movie (FrameTime counts 10 microseconds). */
            asked = WaitFor(p, (uint64_t)frame.Number * p->info->FrameTime * 10u);
            if (asked == kStop) return 0;
            if (asked == kGoOn) Present(p, &frame);
        }
        if (status != TavikEndOfMovie) return Fail("decoding", TavikStatusText(status));
        /* Let the last sound play out; a seek plays on from its frame. */
        while ((asked = HandleEvents(p)) == kGoOn && p->track >= 0 &&
               (!p->soundEnded || SDL_GetQueuedAudioSize(p->audio) > 0)) {
            FeedSound(p, 0);
            SDL_Delay(10);
        }
    }
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        fprintf(stderr, "usage: sdl_play MOVIE [TRACK]\n");
        return 2;
    }
    Player p;
    SDL_zero(p);
    TavikStatus status = TavikDecoderOpenFile(argv[1], &p.decoder);
    if (status != TavikOk) return Fail(argv[1], TavikStatusText(status));
    p.info = TavikDecoderGetInfo(p.decoder);
    int result = 1;
    if (SDL_Init(SDL_INIT_VIDEO | SDL_INIT_AUDIO) != 0) {
        Fail("SDL", SDL_GetError());
    } else if (OpenSound(&p, argc == 3 ? atoi(argv[2]) : -1) == 0 && OpenWindow(&p, argv[1]) == 0) {
        result = Play(&p);
    }
    if (p.audio) SDL_CloseAudioDevice(p.audio);
    if (p.texture) SDL_DestroyTexture(p.texture);
    if (p.renderer) SDL_DestroyRenderer(p.renderer);
    if (p.window) SDL_DestroyWindow(p.window);
    SDL_Quit();
    TavikDecoderClose(p.decoder);
    return result;
}
