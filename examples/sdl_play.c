/* sdl_play: a complete movie player over tavik/decoder.h and SDL2.
 *
 *   sdl_play MOVIE [TRACK]
 *
 * Pictures go through a streaming RGBA texture; the sound of one track (the first that carries
 * sound, or TRACK) goes through SDL's audio queue, and each picture is shown when the sound
 * before it has been played, so picture and sound stay in step whatever the machine does.
 * Without sound, pictures follow the clock. Space pauses, Escape or closing the window quits. */
#include <SDL.h>
#include <stdio.h>
#include <stdlib.h>
#include <tavik/decoder.h>

typedef struct Player {
    TavikDecoder* decoder;
    const TavikInfo* info;
    SDL_Window* window;
    SDL_Renderer* renderer;
    SDL_Texture* texture;
    SDL_AudioDeviceID audio;
    int track;               /* -1: no sound */
    uint64_t bytesPerSecond; /* of the track's sound */
    uint64_t soundQueued;    /* bytes handed to the queue so far */
    uint64_t clockStart;     /* SDL_GetTicks64 at the start, for movies without sound */
    uint64_t pausedFor;      /* milliseconds spent paused, for movies without sound */
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
        return played * 1000000u / p->bytesPerSecond;
    }
    return (SDL_GetTicks64() - p->clockStart - p->pausedFor) * 1000u;
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
}

/* Handles the waiting events; returns 0 when the user wants to stop. */
static int HandleEvents(Player* p) {
    SDL_Event event;
    while (SDL_PollEvent(&event)) {
        if (event.type == SDL_QUIT) return 0;
        if (event.type != SDL_KEYDOWN) continue;
        if (event.key.keysym.sym == SDLK_ESCAPE) return 0;
        if (event.key.keysym.sym == SDLK_SPACE) {
            p->paused = !p->paused;
            if (p->track >= 0) SDL_PauseAudioDevice(p->audio, p->paused);
        }
    }
    return 1;
}

/* Waits until the frame is due; returns 0 when the user wants to stop meanwhile. */
static int WaitFor(Player* p, uint64_t dueMicroseconds) {
    for (;;) {
        uint64_t pauseStart = SDL_GetTicks64();
        if (!HandleEvents(p)) return 0;
        if (p->paused) {
            SDL_Delay(10);
            p->pausedFor += SDL_GetTicks64() - pauseStart;
            continue;
        }
        uint64_t played = PlayedMicroseconds(p);
        if (played >= dueMicroseconds) return 1;
        uint64_t wait = (dueMicroseconds - played) / 1000u;
        SDL_Delay((Uint32)(wait > 10 ? 10 : wait));
    }
}

static int Play(Player* p) {
    TavikFrame frame;
    TavikStatus status;
    p->clockStart = SDL_GetTicks64();
    while ((status = TavikDecoderNext(p->decoder, &frame)) == TavikOk) {
        if (p->track >= 0 && frame.Sound[p->track]) {
            SDL_QueueAudio(p->audio, frame.Sound[p->track], frame.SoundBytes[p->track]);
            p->soundQueued += frame.SoundBytes[p->track];
        }
        /* Frame n is due n frame times after the start (FrameTime counts 10 microseconds). */
        if (!WaitFor(p, (uint64_t)frame.Number * p->info->FrameTime * 10u)) return 0;
        Present(p, &frame);
    }
    if (status != TavikEndOfMovie) return Fail("decoding", TavikStatusText(status));
    while (p->track >= 0 && SDL_GetQueuedAudioSize(p->audio) > 0 && HandleEvents(p)) {
        SDL_Delay(10); /* let the last sound play out */
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
