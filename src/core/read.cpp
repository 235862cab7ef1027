// Reading frames: plain reads, or through the read-ahead ring whose file reads are whole
// 4096-byte pieces at 4096-aligned offsets.
#include <cstring>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"

namespace {

constexpr uint32_t kPiece = 4096;
constexpr uint32_t kLargestDirectRead = 16384;

// The simulated device speed: a read of `bytes` takes bytes * 1000 / speed milliseconds.
void SimulateSpeed(const TavikMovie* movie, uint32_t start, uint32_t bytes) {
    if (movie->ReadSpeed == 0) return;
    const uint64_t ms = static_cast<uint64_t>(bytes) * 1000 / movie->ReadSpeed;
    tavik::WaitUntil(start + static_cast<uint32_t>(ms));
}

void ResetRingPositions(TavikMovie* m) {
    m->RingRead = m->RingWrite = m->RingStart;
    m->RingEnd = m->RingStart + m->RingSize;
}

}  // namespace

extern "C" {

uint32_t TavikRead(TavikMovie* m, void* destination, uint32_t count) {
    if (!m) return 0;
    using namespace tavik;
    const uint32_t start = NowMs();
    auto* out = static_cast<uint8_t*>(destination);
    uint32_t delivered = 0;
    uint32_t fromFile = 0;
    if (!m->RingStart) {
        delivered = fromFile = ReadMovieFile(m->File, out, count);
    } else {
        for (;;) {
            while (m->RingFill > 0 && count > 0) {
                uint32_t n = static_cast<uint32_t>(m->RingEnd - m->RingRead);
                if (count < n) n = count;
                if (m->RingFill < n) n = m->RingFill;
                std::memcpy(out, m->RingRead, n);
                m->RingFill -= n;
                m->NextFileOffset += n;
                m->RingRead += n;
                if (m->RingRead >= m->RingEnd) {
                    m->RingRead = m->RingStart;
                    m->RingEnd = m->RingStart + m->RingSize;
                    if (m->RingFill == 0) m->RingWrite = m->RingStart;
                }
                out += n;
                delivered += n;
                count -= n;
            }
            if (count == 0) break;
            // The ring is empty: large pieces go straight to the caller.
            ServiceSound();
            bool shortRead = false;
            while (count > kPiece) {
                const uint32_t c =
                    count > kLargestDirectRead ? kLargestDirectRead : count & ~(kPiece - 1);
                const uint32_t got = ReadMovieFile(m->File, out, c);
                out += got;
                delivered += got;
                fromFile += got;
                m->NextFileOffset += got;
                count -= got;
                ServiceSound();
                if (got < c && count != 0) {
                    m->ReadError = 1;
                    shortRead = true;
                    break;
                }
            }
            if (shortRead || count == 0) break;
            // The tail passes through the ring, which keeps the rest of its piece.
            const uint32_t want = (count + kPiece - 1) & ~(kPiece - 1);
            const uint32_t got = ReadMovieFile(m->File, m->RingStart, want);
            fromFile += got;
            m->RingRead = m->RingStart;
            m->RingWrite = m->RingStart + got;
            m->RingEnd = m->RingStart + m->RingSize;
            m->RingFill = got;
            if (got < count) {
                m->ReadError = 1;
                break;
            }
        }
    }
    m->ReadBytes += fromFile;
    SimulateSpeed(m, start, fromFile);
    m->ReadTime += NowMs() - start;
    return delivered;
}

void TavikReadFrame(TavikMovie* m) {
    if (!m || tavik::Preloaded(m)) return;
    m->FramePtr = m->IOBuffer;
    m->FrameSize = m->FrameSizes[m->FrameNum];
    if (TavikRead(m, m->IOBuffer, m->FrameSize) < m->FrameSize) m->ReadError = 1;
}

uint32_t TavikReadAhead(TavikMovie* m) {
    if (!m || !m->RingStart || m->FrameNum >= m->Header.FrameCount) return 0;
    if (static_cast<int32_t>(m->RingSize - m->RingFill) < static_cast<int32_t>(kPiece)) return 0;
    using namespace tavik;
    const uint32_t start = NowMs();
    const uint32_t got = ReadMovieFile(m->File, m->RingWrite, kPiece);
    m->RingFill += got;
    m->RingWrite += got;
    if (m->RingWrite > m->RingEnd) {
        m->RingEnd = m->RingWrite;
        m->RingWrite = m->RingStart;
    }
    if (m->RingFill > m->RingHighest) m->RingHighest = m->RingFill;
    m->BackReadBytes += got;
    SimulateSpeed(m, start, got);
    m->BackReadTime += NowMs() - start;
    return got;
}

void TavikSeekFrames(TavikMovie* m, uint32_t offset) {
    if (!m) return;
    using namespace tavik;
    const uint32_t target = m->FirstFrameOffset + offset;
    if (m->RingStart && target >= m->NextFileOffset && target - m->NextFileOffset <= m->RingFill) {
        const uint32_t drop = target - m->NextFileOffset;
        m->RingFill -= drop;
        m->RingRead += drop;
        if (m->RingRead >= m->RingEnd) {
            m->RingRead = m->RingStart + (m->RingRead - m->RingEnd);
            m->RingEnd = m->RingStart + m->RingSize;
        }
    } else {
        if (m->RingStart) {
            ResetRingPositions(m);
            m->RingFill = 0;
        }
        if (!SeekMovieFile(m->File, target)) m->ReadError = 1;
        if (m->RingStart && target % kPiece != 0) {
            // Realign the file to a piece boundary with one plain, timed read into the ring.
            const uint32_t start = NowMs();
            const uint32_t got = ReadMovieFile(m->File, m->RingStart, kPiece - target % kPiece);
            m->ReadBytes += got;
            SimulateSpeed(m, start, got);
            m->ReadTime += NowMs() - start;
            m->RingWrite = m->RingStart + got;
            m->RingFill = got;
        }
    }
    m->NextFileOffset = target;
    TavikReadFrame(m);
}
}
