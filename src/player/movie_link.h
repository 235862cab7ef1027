// The player's calls into the movie engine, kept in one table: the program installs the
// engine's own functions at start, tests install scripted movies.
#pragma once

#include <cstdint>

#include "tavik/movie.h"

namespace tavik {

struct MovieCalls {
    TavikMovie* (*open)(const void* source, uint32_t openFlags, uint32_t extraBufferSize);
    void (*close)(TavikMovie* movie);
    uint32_t (*decodeFrame)(TavikMovie* movie);
    void (*advance)(TavikMovie* movie);
    uint32_t (*notYetDue)(TavikMovie* movie);
    uint32_t (*setPlaying)(TavikMovie* movie, int32_t playing);
    void (*setFrameRate)(int32_t rate);
    void (*setReadSpeed)(uint32_t bytesPerSecond);
    void (*getSummary)(TavikMovie* movie, TavikSummary* summary);
    void (*setDest)(TavikMovie* movie, uint32_t x, uint32_t y, int32_t pitch, uint32_t height,
                    void* pixels, uint32_t format);
    uint32_t (*nextRect)(TavikMovie* movie, uint32_t mode);
    void (*remap)(TavikMovie* movie, const void* entries, uint32_t count, uint32_t entryFormat,
                  uint32_t reserved);
    uint32_t (*useMMX)(uint32_t on);
    uint32_t (*seek)(TavikMovie* movie, uint32_t frame);  // the native program's seeking
};

// The table in use; until one is installed every call fails or does nothing.
const MovieCalls& Movies();
void SetMovies(const MovieCalls* calls);

// The engine's own functions (engine_calls.cpp, linked where the engine is).
const MovieCalls& EngineMovieCalls();

}  // namespace tavik
