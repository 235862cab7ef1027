// Frame stepping and timing: decode, advance, wait, pause, and the playback statistics.
#include <cstring>

#include "audio/sound_hooks.h"
#include "core/movie_internal.h"
#include "video/dest.h"
#include "video/frame_helpers.h"
#include "video/video_decoder.h"

namespace tavik {
namespace {

int32_t g_frameRateOverride = 0;
uint32_t g_readSpeed = 0;

// After a seek the picture around the decoded frame is new too: every group counts as changed.
void ShowWholeFrame(TavikMovie* m) {
    const ChangeIterator& it = m->Dest->iterator;
    const uint64_t groups = (uint64_t{it.width / 4} * (it.height / 4) + 15) / 16;
    std::memset(ChangeMap(m->Dest), 1, static_cast<size_t>(groups));
    m->ShowWholeFrame = 0;
}

}  // namespace

int32_t FrameRateOverride() {
    return g_frameRateOverride;
}
uint32_t SimulatedReadSpeed() {
    return g_readSpeed;
}

void CloseFrameTimes(TavikMovie* m) {
    uint32_t now = 0;
    bool haveNow = false;
    auto clock = [&] {
        if (!haveNow) now = NowMs(), haveNow = true;
        return now;
    };
    if (m->FrameStart) {
        const uint32_t dt = clock() - m->FrameStart;
        m->FrameStart = 0;
        if (dt > m->SlowestTime) {
            if (m->SlowestFrame != m->FrameNum) {
                m->SecondSlowestTime = m->SlowestTime;
                m->SecondSlowestFrame = m->SlowestFrame;
                m->SlowestFrame = m->FrameNum;
            }
            m->SlowestTime = dt;
        } else if (dt > m->SecondSlowestTime && m->SlowestFrame != m->FrameNum) {
            m->SecondSlowestTime = dt;
            m->SecondSlowestFrame = m->FrameNum;
        }
    }
    if (m->BlitStart) {
        m->BlitTime += clock() - m->BlitStart;
        m->BlitStart = 0;
    }
    if (m->DecompStart) {
        m->DecompTime += clock() - m->DecompStart;
        m->DecompStart = 0;
    }
}

}  // namespace tavik

extern "C" {

uint32_t TavikDecodeFrame(TavikMovie* m) {
    using namespace tavik;
    if (!m || m->ReadError) return 0;
    const uint32_t now = NowMs();
    m->FrameStart = m->DecompStart = now;
    if (m->FirstFrameTime == 0) m->FirstFrameTime = now;
    if (m->NewPalette) m->PaletteFrame = static_cast<int32_t>(m->FrameNum);
    ++m->FramesDecoded;
    FeedSoundTracks(m);
    const bool late = m->FrameTime != 0 && FrameLateBySound(m);
    const bool skip = late && !(m->OpenFlags & TavikNoSkip);
    if (m->Dest) {
        if (!skip) {
            m->RectState = 1;
            if (m->ColourTable16 && m->RemapPending) {
                // Kept set: once the palette has changed the table follows it at every frame.
                if (m->Dest->format == 0x80)
                    BuildColourTable555(m->ColourTable16, m->Palette);
                else if (m->Dest->format == 0xC0)
                    BuildColourTable565(m->ColourTable16, m->Palette);
            }
            DecodeVideoFrame(m->VideoChunk, m->VideoSize, m->Trees, m->MarkerRuns, m->Dest);
            if (m->ShowWholeFrame) ShowWholeFrame(m);
        } else {
            ++m->FramesSkipped;
        }
    }
    ServiceSound();
    return late ? 1 : 0;
}

void TavikAdvance(TavikMovie* m) {
    using namespace tavik;
    if (!m) return;
    if (m->ReadError) {
        ++m->FrameNum;
        return;
    }
    ServiceSound();
    CloseFrameTimes(m);
    m->FramePtr += m->FrameSizes[m->FrameNum];
    ++m->FrameNum;
    if (m->FrameNum < m->Header.FrameCount) TavikReadFrame(m);
    SetUpFrame(m);
    ServiceSound();
}

uint32_t TavikNotYetDue(TavikMovie* m) {
    using namespace tavik;
    if (!m || m->ReadError) return 0;
    ServiceSound();
    const int sound = WaitingForSound(m);
    if (sound != kNoTimingTrack) {
        if (sound != kWaitForSound) return 0;
        TavikReadAhead(m);
        return 1;
    }
    if (m->WaitDone || m->FrameTime == 0) return 0;
    // Ticks of 10 microseconds in 32 bits; compared by signed difference so that the wrap of
    // the count (about every 11.9 hours) never stalls playback.
    const uint32_t now = NowMs() * 100;
    if (m->NextDue == TAVIK_NOT_STARTED) {
        m->NextDue = now + m->FrameTime;
        TavikReadAhead(m);
        return 1;
    }
    if (static_cast<int32_t>(now - m->NextDue) >= 0) {
        m->NextDue += m->FrameTime;
        // More than one frame behind: drop the lost time instead of racing to catch up.
        if (static_cast<int32_t>(now - m->NextDue) > static_cast<int32_t>(m->FrameTime))
            m->NextDue = now + m->FrameTime;
        m->WaitDone = 1;
        return 0;
    }
    TavikReadAhead(m);
    return 1;
}

uint32_t TavikSetPlaying(TavikMovie* m, int32_t playing) {
    if (!m) return 0;
    return tavik::SetSoundPlaying(m, playing);
}

void TavikSetFrameRate(int32_t rate) {
    tavik::g_frameRateOverride = rate < 1 ? rate : -(100000 / rate);
}

void TavikSetReadSpeed(uint32_t bytesPerSecond) {
    tavik::g_readSpeed = bytesPerSecond;
}

void TavikGetSummary(TavikMovie* m, TavikSummary* s) {
    using namespace tavik;
    if (!m || !s) return;
    CloseFrameTimes(m);
    s->TotalTime = NowMs() - m->FirstFrameTime;
    s->FrameTime = m->FrameTime;
    s->OpenTime = m->OpenTime;
    s->FramesPlayed = m->FramesDecoded;
    s->FramesSkipped = m->FramesSkipped;
    s->SoundSkips = TimingTrackSoundSkips(m);
    s->BlitTime = m->BlitTime;
    s->PlayReadTime = m->ReadTime - m->OpenReadTime;
    s->DecompTime = m->DecompTime;
    s->BackReadTime = m->BackReadTime;
    const uint64_t readTime = uint64_t{m->ReadTime} + m->BackReadTime;
    s->DeviceSpeed =
        readTime
            ? static_cast<uint32_t>((uint64_t{m->ReadBytes} + m->BackReadBytes) * 1000 / readTime)
            : 0;
    s->SlowestTime = m->SlowestTime ? m->SlowestTime : 1000;
    s->SecondSlowestTime = m->SecondSlowestTime ? m->SecondSlowestTime : 1000;
    s->SlowestFrame = m->SlowestFrame + 1;
    s->SecondSlowestFrame = m->SecondSlowestFrame + 1;
    s->AverageFrameSize = m->AverageFrameSize;
    s->MemoryUsed = m->MemHighest;
    s->ExtraBuffer = m->RingSize;
    s->ExtraBufferUsed = m->RingHighest;
}
}
