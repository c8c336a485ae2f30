// The older-Windows sound path run for real: this program has Wine tell it that
// it runs on Windows XP (a per-program version under
// HKCU\Software\Wine\AppDefaults, written before it starts itself again), and
// modules other than the one that silences play through the audio functions:
// one loaded at the start, one loaded afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <mmsystem.h>

#include <cstring>
#include <string>
#include <vector>

#include "sound/import_redirect.h"
#include "sound/sound_mute.h"

namespace {

constexpr wchar_t kChildMark[] = L"OVN_OLD_WINDOWS_CHILD";

extern "C" __declspec(dllimport) void* PlayerWaveOutWriteEntry();
extern "C" __declspec(dllimport) MMRESULT PlayerWaveWrite(HWAVEOUT device, WAVEHDR* header);

extern "C" __declspec(dllimport) void* PlayerLookUpWaveOutWrite();

using WaveOutWriteFn = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);
WaveOutWriteFn ByName;
MMRESULT WriteByName(HWAVEOUT device, WAVEHDR* header) { return ByName(device, header, sizeof *header); }

using EntryFn = void* (*)();
using WriteFn = MMRESULT (*)(HWAVEOUT, WAVEHDR*);
using DirectSoundFn = int (*)(HWND, BYTE, HRESULT*);

DWORD MajorVersion() {
    OSVERSIONINFOW v{};
    v.dwOSVersionInfoSize = sizeof v;
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    GetVersionExW(&v);
#pragma GCC diagnostic pop
    return v.dwMajorVersion;
}

void* RealWaveOutWrite() { return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"winmm.dll"), "waveOutWrite")); }

// A block of sound as a game writes it, and the device it goes to: the first
// wave device when there is one, otherwise none (the real function then refuses
// the handle, after it was called with the block).
struct Playback {
    Playback() {
        WAVEFORMATEX format{};
        format.wFormatTag = WAVE_FORMAT_PCM;
        format.nChannels = 1;
        format.nSamplesPerSec = 22050;
        format.wBitsPerSample = 16;
        format.nBlockAlign = 2;
        format.nAvgBytesPerSec = 44100;
        if (waveOutOpen(&device, WAVE_MAPPER, &format, 0, 0, CALLBACK_NULL) != MMSYSERR_NOERROR)
            device = nullptr;
    }
    ~Playback() {
        if (device) {
            waveOutReset(device);
            waveOutClose(device);
        }
    }
    // Plays a block filled with pattern through write; true when the real
    // function answered as it answers for this device and the block held
    // silence (muted) or the pattern (not muted) when it was handed over.
    ::testing::AssertionResult Play(WriteFn write, BYTE pattern, bool expectSilence) {
        std::vector<BYTE> data(2048, pattern);
        WAVEHDR header{};
        header.lpData = reinterpret_cast<LPSTR>(data.data());
        header.dwBufferLength = static_cast<DWORD>(data.size());
        if (device && waveOutPrepareHeader(device, &header, sizeof header) != MMSYSERR_NOERROR)
            return ::testing::AssertionFailure() << "header not prepared";
        const MMRESULT result = write(device, &header);
        if (device) {
            waveOutReset(device);
            waveOutUnprepareHeader(device, &header, sizeof header);
        }
        const MMRESULT expected = device ? MMSYSERR_NOERROR : MMSYSERR_INVALHANDLE;
        if (result != expected)
            return ::testing::AssertionFailure() << "waveOutWrite answered " << result << ", not " << expected;
        const BYTE want = expectSilence ? 0 : pattern;
        for (BYTE b : data)
            if (b != want)
                return ::testing::AssertionFailure() << "the block held " << int(b) << ", not " << int(want);
        return ::testing::AssertionSuccess();
    }
    HWAVEOUT device = nullptr;
};

HWND ToolWindow() {
    static HWND window = CreateWindowExW(0, L"STATIC", L"old audio", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                         GetModuleHandleW(nullptr), nullptr);
    return window;
}

}  // namespace

TEST(OlderWindowsSound, RunsAsAnOlderWindows) { ASSERT_LE(MajorVersion(), 5u); }

TEST(OlderWindowsSound, SilencesWaveOutputOfEveryModuleNowAndLoadedLater) {
    ASSERT_LE(MajorVersion(), 5u);
    Playback playback;
    void* real = RealWaveOutWrite();
    ASSERT_NE(real, nullptr);
    ASSERT_EQ(PlayerWaveOutWriteEntry(), real);  // nothing redirected yet

    // The first call, unmuted: the redirections are made, the sound is untouched.
    EXPECT_EQ(ovn::sound::SetSoundMuted(0), 1);
    EXPECT_NE(PlayerWaveOutWriteEntry(), real);
    EXPECT_GT(ovn::sound::CountRedirectedImports(), 0u);
    EXPECT_TRUE(playback.Play(&PlayerWaveWrite, 0x5A, false));

    EXPECT_EQ(ovn::sound::SetSoundMuted(1), 1);
    EXPECT_TRUE(playback.Play(&PlayerWaveWrite, 0x5A, true));

    // A module loaded now (as the game's plug-in is) is silenced too, and so is
    // the function asked for by name.
    HMODULE later = LoadLibraryW(L"ovn_audio_player_late.dll");
    ASSERT_NE(later, nullptr);
    auto laterEntry = reinterpret_cast<EntryFn>(reinterpret_cast<void*>(GetProcAddress(later, "PlayerWaveOutWriteEntry")));
    auto laterWrite = reinterpret_cast<WriteFn>(reinterpret_cast<void*>(GetProcAddress(later, "PlayerWaveWrite")));
    ASSERT_TRUE(laterEntry && laterWrite);
    EXPECT_NE(laterEntry(), real);
    EXPECT_TRUE(playback.Play(laterWrite, 0x33, true));
    ByName = reinterpret_cast<WaveOutWriteFn>(PlayerLookUpWaveOutWrite());
    EXPECT_NE(reinterpret_cast<void*>(ByName), real);
    EXPECT_TRUE(playback.Play(&WriteByName, 0x21, true));

    // Switched many times, each state holds for both modules.
    for (int i = 0; i < 200; ++i) {
        const bool muted = i % 2 == 0;
        ovn::sound::SetSoundMuted(muted ? 1 : 0);
        ASSERT_TRUE(playback.Play(&PlayerWaveWrite, static_cast<BYTE>(i + 1), muted)) << "switch " << i;
        ASSERT_TRUE(playback.Play(laterWrite, static_cast<BYTE>(i + 1), muted)) << "switch " << i;
    }

    // Removed (as at exit): every module calls the real function again, and the
    // flag no longer touches the sound.
    ovn::sound::SetSoundMuted(1);
    ovn::sound::RemoveAudioHooks();
    EXPECT_EQ(PlayerWaveOutWriteEntry(), real);
    EXPECT_EQ(laterEntry(), real);
    EXPECT_EQ(ovn::sound::CountRedirectedImports(), 0u);
    EXPECT_TRUE(playback.Play(&PlayerWaveWrite, 0x77, false));
    EXPECT_TRUE(playback.Play(laterWrite, 0x77, false));
    std::printf("wave device: %s\n", playback.device ? "opened" : "none (the real function refused the handle)");
}

TEST(OlderWindowsSound, SilencesDirectSoundBuffers) {
    ASSERT_LE(MajorVersion(), 5u);
    HMODULE player = LoadLibraryW(L"ovn_audio_player_late.dll");
    ASSERT_NE(player, nullptr);
    auto play = reinterpret_cast<DirectSoundFn>(reinterpret_cast<void*>(GetProcAddress(player, "PlayerDirectSound")));
    ASSERT_NE(play, nullptr);
    HRESULT hr = S_OK;
    // Installed again (the previous test removed them) with the player loaded.
    ovn::sound::SetProcessAudioMuted(1);
    const int muted = play(ToolWindow(), 0x44, &hr);
    // The test's environment gives Wine a device that plays into nothing.
    ASSERT_NE(muted, -1) << "no DirectSound device (DirectSoundCreate: 0x" << std::hex << hr << ")";
    EXPECT_EQ(muted, 0) << "hr 0x" << std::hex << hr;
    ovn::sound::SetProcessAudioMuted(0);
    EXPECT_EQ(play(ToolWindow(), 0x44, &hr), 1) << "hr 0x" << std::hex << hr;
}

// Wine reads a program's version when the program starts: the first start
// writes it and starts this program again, which runs the tests.
int main(int argc, char** argv) {
    wchar_t mark[8] = {};
    if (MajorVersion() > 5 && !GetEnvironmentVariableW(kChildMark, mark, 8)) {
        wchar_t self[MAX_PATH];
        const DWORD n = GetModuleFileNameW(nullptr, self, MAX_PATH);
        std::wstring path(self, n);
        const std::wstring exe = path.substr(path.find_last_of(L'\\') + 1);
        const std::wstring key = L"Software\\Wine\\AppDefaults\\" + exe;
        HKEY h = nullptr;
        if (RegCreateKeyExW(HKEY_CURRENT_USER, key.c_str(), 0, nullptr, 0, KEY_SET_VALUE, nullptr, &h, nullptr))
            return 3;
#ifdef _WIN64
        const wchar_t version[] = L"winxp64";
#else
        const wchar_t version[] = L"winxp";
#endif
        RegSetValueExW(h, L"Version", 0, REG_SZ, reinterpret_cast<const BYTE*>(version), sizeof version);
        RegCloseKey(h);
        SetEnvironmentVariableW(kChildMark, L"1");
        STARTUPINFOW si{};
        si.cb = sizeof si;
        PROCESS_INFORMATION pi{};
        std::wstring cmd = GetCommandLineW();
        DWORD code = 4;
        if (CreateProcessW(nullptr, cmd.data(), nullptr, nullptr, TRUE, 0, nullptr, nullptr, &si, &pi)) {
            WaitForSingleObject(pi.hProcess, INFINITE);
            GetExitCodeProcess(pi.hProcess, &code);
            CloseHandle(pi.hProcess);
            CloseHandle(pi.hThread);
        }
        RegDeleteKeyW(HKEY_CURRENT_USER, key.c_str());
        return static_cast<int>(code);
    }
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
