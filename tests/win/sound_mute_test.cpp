// Sound mute on a system from Vista on, as Wine reports itself: the mixer path.
// Wine has no mixer here, so every step's failure must come back as 0, with
// nothing redirected in the process and nothing else broken.
#include <gtest/gtest.h>
#include <windows.h>

#include "sound/import_redirect.h"
#include "sound/sound_mute.h"

TEST(SoundMuteMixer, WithoutAMixerTheResultIsZeroAndNothingIsRedirected) {
    EXPECT_EQ(ovn::sound::SetMixerLineMute(0, 1), 0);
    EXPECT_EQ(ovn::sound::SetMixerLineMute(1, 1), 0);
    EXPECT_EQ(ovn::sound::SetMixerLineMute(7, 0), 0);
    for (int i = 0; i < 20; ++i) {
        EXPECT_EQ(ovn::sound::SetSoundMuted(i % 2), 0);
        EXPECT_EQ(ovn::sound::SoundMuted, i % 2);
    }
    EXPECT_EQ(ovn::sound::CountRedirectedImports(), 0u);
    ovn::sound::SetSoundMuted(0);
}
