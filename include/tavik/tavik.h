/* The umbrella header of libtavik. C-compatible. */
#ifndef TAVIK_TAVIK_H
#define TAVIK_TAVIK_H

#include "tavik/system.h"
#include "tavik/movie.h"
#include "tavik/sound.h"
#include "tavik/blitter.h"
#include "tavik/decoder.h"

#endif
