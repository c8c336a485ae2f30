// Silencing the game's sound in a game-page process. From Vista on, through the
// mute switches of the first mixer's wave-output and speakers lines; before
// Vista, by replacing this process's own audio data by silence (its calls of
// waveOutWrite, midiStreamOut and DirectSound's buffers), so that nothing
// outside the process is touched.
#pragma once

namespace ovn::sound {

// Non-zero: the older-Windows wrappers hand silence to the real functions. Set
// by SetSoundMuted on either path.
extern volatile long SoundMuted;

// 1 on success: on Vista and later the speakers line's result, before Vista always.
int SetSoundMuted(int muted);
// Line kind 0: speakers destination, 1: wave-output source, other: microphone
// source. 1 when its mute switch was set.
int SetMixerLineMute(int kind, int muted);

// The older-Windows path on its own (what SetSoundMuted runs before Vista):
// installs the redirections the first time, then sets the flag.
void SetProcessAudioMuted(int muted);
// Removes the redirections (run at process exit once they were installed).
void RemoveAudioHooks();

}  // namespace ovn::sound
