// The movie calls in use; by default none can open a movie.
#include "player/movie_link.h"

namespace tavik {

namespace {

TavikMovie* NoOpen(const void*, uint32_t, uint32_t) {
    return nullptr;
}
void NoClose(TavikMovie*) {}
uint32_t NoDecode(TavikMovie*) {
    return 0;
}
void NoAdvance(TavikMovie*) {}
uint32_t NoWait(TavikMovie*) {
    return 0;
}
uint32_t NoPlaying(TavikMovie*, int32_t) {
    return 0;
}
void NoRate(int32_t) {}
void NoSpeed(uint32_t) {}
void NoSummary(TavikMovie*, TavikSummary*) {}
void NoDest(TavikMovie*, uint32_t, uint32_t, int32_t, uint32_t, void*, uint32_t) {}
uint32_t NoRect(TavikMovie*, uint32_t) {
    return 0;
}
void NoRemap(TavikMovie*, const void*, uint32_t, uint32_t, uint32_t) {}
uint32_t NoMMX(uint32_t) {
    return 0;
}
uint32_t NoSeek(TavikMovie*, uint32_t) {
    return 0;
}

constexpr MovieCalls kNoMovies = {NoOpen,    NoClose, NoDecode, NoAdvance, NoWait,
                                  NoPlaying, NoRate,  NoSpeed,  NoSummary, NoDest,
                                  NoRect,    NoRemap, NoMMX,    NoSeek};
const MovieCalls* g_movies = &kNoMovies;

}  // namespace

const MovieCalls& Movies() {
    return *g_movies;
}
void SetMovies(const MovieCalls* calls) {
    g_movies = calls != nullptr ? calls : &kNoMovies;
}

}  // namespace tavik
