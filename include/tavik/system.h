/* The engine's only contact with the operating system: a millisecond clock, file reading and
   debug output. Tests install their own table (a fake clock, in-memory files). C-compatible. */
#ifndef TAVIK_SYSTEM_H
#define TAVIK_SYSTEM_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A file handle: a descriptor on POSIX, a HANDLE on Windows. All bits set is invalid. */
typedef intptr_t TavikFile;
#define TAVIK_INVALID_FILE ((TavikFile)-1)

typedef struct TavikSystem {
    void* Context;
    /* Milliseconds of a free-running clock; wraps at 32 bits. */
    uint32_t (*Milliseconds)(void* context);
    /* Lets the processor go while a busy wait spins; may be null. */
    void (*Yield)(void* context);
    /* Opens an existing file for reading; TAVIK_INVALID_FILE on failure. */
    TavikFile (*OpenFile)(void* context, const char* name);
    void (*CloseFile)(void* context, TavikFile file);
    /* Reads up to `count` bytes; returns how many came (0 at the end or on error). */
    uint32_t (*ReadFile)(void* context, TavikFile file, void* destination, uint32_t count);
    /* Moves to an absolute offset; returns 0 on failure. */
    int (*SeekFile)(void* context, TavikFile file, uint32_t offset);
    /* The current offset, or 0xFFFFFFFF on failure. */
    uint32_t (*TellFile)(void* context, TavikFile file);
    /* The file's size in bytes, or 0xFFFFFFFF when unknown; may be null. Opening uses it to
       refuse tables that claim more than the file holds before allocating for them. */
    uint32_t (*FileSize)(void* context, TavikFile file);
    /* The debug setting, read once per process (low byte 1 turns the debug lines on). */
    int32_t (*DebugSetting)(void* context);
    /* Writes one debug text (already ending in "\r\n"). */
    void (*DebugWrite)(void* context, const char* text);
} TavikSystem;

/* Installs a table (copied); null restores the default for this platform. */
void TavikSetSystem(const TavikSystem* system);
const TavikSystem* TavikGetSystem(void);
/* The platform's own table. */
const TavikSystem* TavikDefaultSystem(void);

#ifdef __cplusplus
}
#endif

#endif
