// A module that plays for the older-Windows sound test, as a plug-in would: it
// calls the audio functions through its own import entries. Built twice, as a
// module the test program loads at its start and as one it loads later.
#include <windows.h>

#include <dsound.h>
#include <mmsystem.h>

// The import entry of waveOutWrite in this module, read by its linker name.
#ifdef _WIN64
extern "C" void* ImportedWaveOutWrite __asm__("__imp_waveOutWrite");
#else
extern "C" void* ImportedWaveOutWrite __asm__("__imp__waveOutWrite@12");
#endif

extern "C" __declspec(dllexport) void* PlayerWaveOutWriteEntry() { return ImportedWaveOutWrite; }

// waveOutWrite as a module that looks it up by name gets it.
extern "C" __declspec(dllexport) void* PlayerLookUpWaveOutWrite() {
    return reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"winmm.dll"), "waveOutWrite"));
}

// Hands the block to waveOutWrite; the block is what the function was given.
extern "C" __declspec(dllexport) MMRESULT PlayerWaveWrite(HWAVEOUT device, WAVEHDR* header) {
    return waveOutWrite(device, header, sizeof *header);
}

// Creates a device and a buffer, writes pattern into the whole buffer through
// Lock and Unlock, then locks it again and reads back what the buffer holds.
// 1: it holds the pattern; 0: it holds silence; negative: a step failed (-1
// DirectSoundCreate, the reason in *hr).
extern "C" __declspec(dllexport) int PlayerDirectSound(HWND window, BYTE pattern, HRESULT* hr) {
    IDirectSound* sound = nullptr;
    *hr = DirectSoundCreate(nullptr, &sound, nullptr);
    if (FAILED(*hr))
        return -1;
    int result = -2;
    sound->SetCooperativeLevel(window, DSSCL_NORMAL);
    WAVEFORMATEX format{};
    format.wFormatTag = WAVE_FORMAT_PCM;
    format.nChannels = 1;
    format.nSamplesPerSec = 22050;
    format.wBitsPerSample = 16;
    format.nBlockAlign = 2;
    format.nAvgBytesPerSec = 44100;
    DSBUFFERDESC desc{};
    desc.dwSize = sizeof desc;
    desc.dwBufferBytes = 4096;
    desc.lpwfxFormat = &format;
    IDirectSoundBuffer* buffer = nullptr;
    *hr = sound->CreateSoundBuffer(&desc, &buffer, nullptr);
    if (SUCCEEDED(*hr)) {
        void *p1 = nullptr, *p2 = nullptr;
        DWORD n1 = 0, n2 = 0;
        result = -3;
        if (SUCCEEDED(*hr = buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER))) {
            FillMemory(p1, n1, pattern);
            buffer->Unlock(p1, n1, p2, n2);
            result = -4;
            if (SUCCEEDED(*hr = buffer->Lock(0, 0, &p1, &n1, &p2, &n2, DSBLOCK_ENTIREBUFFER))) {
                const BYTE* bytes = static_cast<const BYTE*>(p1);
                bool all = true, none = true;
                for (DWORD i = 0; i < n1; ++i) {
                    all = all && bytes[i] == pattern;
                    none = none && bytes[i] == 0;
                }
                result = all ? 1 : none ? 0 : -5;
                buffer->Unlock(p1, n1, p2, n2);
            }
        }
        buffer->Release();
    }
    sound->Release();
    return result;
}
