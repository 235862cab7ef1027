// The backend table's choice rules, CopyFromRing and the debug line form.
#include <gtest/gtest.h>

#include "audio/headless_backend.h"
#include "audio/sound_backend.h"
#include "audio/sound_debug.h"
#include "audio/sound_ring.h"
#include "support/fake_system.h"

namespace tavik::test {
namespace {

TEST(AudioBackend, CopyFromRingWrapsAtTheEnd) {
    uint8_t ring[32];
    for (int i = 0; i < 32; ++i) ring[i] = static_cast<uint8_t>(i);
    uint8_t out[16] = {};
    EXPECT_EQ(CopyFromRing(out, ring + 22, ring, ring + 32, 10), ring);
    EXPECT_EQ(out[0], 22);
    EXPECT_EQ(out[9], 31);
    EXPECT_EQ(CopyFromRing(out, ring + 22, ring, ring + 32, 16), ring + 6);
    EXPECT_EQ(out[9], 31);
    EXPECT_EQ(out[10], 0);
    EXPECT_EQ(out[15], 5);
    EXPECT_EQ(CopyFromRing(out, ring + 4, ring, ring + 32, 8), ring + 12);
    EXPECT_EQ(out[0], 4);
}

TEST(AudioBackend, TheFirstChoiceStays) {
    ReplaceSoundBackendForTest(nullptr);
    EXPECT_EQ(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(UseDirectSound(nullptr), 0u);  // no DirectSound here: nothing installed
    EXPECT_EQ(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(UseWaveOut(), 1u);
    ASSERT_NE(InstalledSoundBackend(), nullptr);
    EXPECT_EQ(InstalledSoundBackend()->SoundOpen, HeadlessBackend().SoundOpen);
    EXPECT_EQ(UseWaveOut(), 0u);
    EXPECT_EQ(UseDirectSound(nullptr), 0u);  // installed, and not DirectSound
    ReplaceSoundBackendForTest(nullptr);
}

TEST(AudioBackend, DebugLinesOnlyWhenTheSettingsLowByteIsOne) {
    FakeSystem system;
    system.debugSetting = 0x101;
    SoundDebugLine("Open failed - error #: ", -2147024809);
    SoundDebugLine("Plain text\r\n");
    EXPECT_EQ(system.debugOutput, "Open failed - error #: -2147024809\r\nPlain text\r\n");
    system.debugOutput.clear();
    system.debugSetting = 2;
    SoundDebugLine("Open failed - error #: ", 5);
    EXPECT_EQ(system.debugOutput, "");
}

}  // namespace
}  // namespace tavik::test
