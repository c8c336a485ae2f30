#include "sound/sound_mute.h"

#include <windows.h>

#include <mmsystem.h>
#include <dsound.h>

#include <cstdlib>
#include <cstring>

#include "common/windows_version.h"
#include "sound/import_redirect.h"

namespace ovn::sound {

volatile long SoundMuted = 0;

namespace {

bool Muted() { return SoundMuted != 0; }

void Silence(void* data, DWORD length) {
    if (data && length)
        std::memset(data, 0, length);
}

// The real entry points, found when their modules are (or get) loaded.
using WaveOutWriteFn = MMRESULT(WINAPI*)(HWAVEOUT, LPWAVEHDR, UINT);
using MidiStreamOutFn = MMRESULT(WINAPI*)(HMIDISTRM, LPMIDIHDR, UINT);
using DirectSoundCreateFn = HRESULT(WINAPI*)(LPCGUID, LPDIRECTSOUND*, LPUNKNOWN);
using CreateSoundBufferFn = HRESULT(STDMETHODCALLTYPE*)(IDirectSound*, LPCDSBUFFERDESC, LPDIRECTSOUNDBUFFER*,
                                                        LPUNKNOWN);
using UnlockFn = HRESULT(STDMETHODCALLTYPE*)(IDirectSoundBuffer*, LPVOID, DWORD, LPVOID, DWORD);

WaveOutWriteFn RealWaveOutWrite;
MidiStreamOutFn RealMidiStreamOut;
DirectSoundCreateFn RealDirectSoundCreate;

constexpr int kCreateSoundBufferSlot = 3;
constexpr int kUnlockSlot = 19;

// The method tables whose slot holds our wrapper, each with the real entry it
// held. A primary and a secondary sound buffer need not share one table: each
// table met is patched once, so no buffer kind keeps its sound.
class PatchedTables {
public:
    // The real entry for object's table, patching that table first if need be.
    void* RealFor(void* object, int slot, void* wrapper) {
        void** table = *static_cast<void***>(object);
        Locked locked(m_lock);
        for (int i = 0; i < m_count; ++i)
            if (m_tables[i] == table)
                return m_reals[i];
        if (table[slot] == wrapper || m_count == kMax)
            return nullptr;  // a table we cannot tell the real entry of
        void* real = PatchMethodSlot(&table[slot], wrapper);
        if (!real)
            return nullptr;
        m_tables[m_count] = table;
        m_reals[m_count] = real;
        ++m_count;
        return real;
    }
    // The real entry for a table already patched.
    void* Real(void* object) {
        void** table = *static_cast<void***>(object);
        Locked locked(m_lock);
        for (int i = 0; i < m_count; ++i)
            if (m_tables[i] == table)
                return m_reals[i];
        return nullptr;
    }
    PatchedTables() { ::InitializeCriticalSection(&m_lock); }

private:
    class Locked {
    public:
        explicit Locked(CRITICAL_SECTION& cs) : m_cs(cs) { ::EnterCriticalSection(&m_cs); }
        ~Locked() { ::LeaveCriticalSection(&m_cs); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;

    private:
        CRITICAL_SECTION& m_cs;
    };
    static constexpr int kMax = 8;
    CRITICAL_SECTION m_lock;
    void** m_tables[kMax] = {};
    void* m_reals[kMax] = {};
    int m_count = 0;
};

PatchedTables& SoundTables() {
    static PatchedTables tables;
    return tables;
}
PatchedTables& BufferTables() {
    static PatchedTables tables;
    return tables;
}

MMRESULT WINAPI WaveOutWriteWrapper(HWAVEOUT device, LPWAVEHDR header, UINT size) {
    if (Muted() && header)
        Silence(header->lpData, header->dwBufferLength);
    return RealWaveOutWrite(device, header, size);
}

MMRESULT WINAPI MidiStreamOutWrapper(HMIDISTRM stream, LPMIDIHDR header, UINT size) {
    if (Muted() && header)
        Silence(header->lpData, header->dwBufferLength);
    return RealMidiStreamOut(stream, header, size);
}

HRESULT STDMETHODCALLTYPE UnlockWrapper(IDirectSoundBuffer* buffer, LPVOID first, DWORD firstLength, LPVOID second,
                                        DWORD secondLength) {
    auto real = reinterpret_cast<UnlockFn>(BufferTables().Real(buffer));
    if (!real)
        return DSERR_GENERIC;
    if (Muted()) {
        Silence(first, firstLength);
        Silence(second, secondLength);
    }
    return real(buffer, first, firstLength, second, secondLength);
}

HRESULT STDMETHODCALLTYPE CreateSoundBufferWrapper(IDirectSound* sound, LPCDSBUFFERDESC desc,
                                                   LPDIRECTSOUNDBUFFER* buffer, LPUNKNOWN outer) {
    auto real = reinterpret_cast<CreateSoundBufferFn>(SoundTables().Real(sound));
    if (!real)
        return DSERR_GENERIC;
    const HRESULT hr = real(sound, desc, buffer, outer);
    if (SUCCEEDED(hr) && buffer && *buffer)
        BufferTables().RealFor(*buffer, kUnlockSlot, reinterpret_cast<void*>(&UnlockWrapper));
    return hr;
}

HRESULT WINAPI DirectSoundCreateWrapper(LPCGUID device, LPDIRECTSOUND* sound, LPUNKNOWN outer) {
    const HRESULT hr = RealDirectSoundCreate(device, sound, outer);
    if (SUCCEEDED(hr) && sound && *sound)
        SoundTables().RealFor(*sound, kCreateSoundBufferSlot, reinterpret_cast<void*>(&CreateSoundBufferWrapper));
    return hr;
}

const ImportRedirect kAudioRedirects[] = {
    {L"winmm.dll", "waveOutWrite", reinterpret_cast<void*>(&WaveOutWriteWrapper),
     reinterpret_cast<void**>(&RealWaveOutWrite)},
    {L"winmm.dll", "midiStreamOut", reinterpret_cast<void*>(&MidiStreamOutWrapper),
     reinterpret_cast<void**>(&RealMidiStreamOut)},
    {L"dsound.dll", "DirectSoundCreate", reinterpret_cast<void*>(&DirectSoundCreateWrapper),
     reinterpret_cast<void**>(&RealDirectSoundCreate)},
};

bool HooksInstalled = false;
bool RemovalRegistered = false;

void RemoveAtExit() { RemoveAudioHooks(); }

DWORD ComponentType(int kind) {
    switch (kind) {
    case 0: return MIXERLINE_COMPONENTTYPE_DST_SPEAKERS;
    case 1: return MIXERLINE_COMPONENTTYPE_SRC_WAVEOUT;
    default: return MIXERLINE_COMPONENTTYPE_SRC_MICROPHONE;
    }
}

// Closes the mixer however the steps end.
class OpenMixer {
public:
    OpenMixer() { m_ok = ::mixerOpen(&m_mixer, 0, 0, 0, MIXER_OBJECTF_HMIXER) == MMSYSERR_NOERROR; }
    ~OpenMixer() {
        if (m_ok)
            ::mixerClose(m_mixer);
    }
    OpenMixer(const OpenMixer&) = delete;
    OpenMixer& operator=(const OpenMixer&) = delete;
    bool ok() const { return m_ok; }
    HMIXEROBJ object() const { return reinterpret_cast<HMIXEROBJ>(m_mixer); }

private:
    HMIXER m_mixer = nullptr;
    bool m_ok = false;
};

}  // namespace

int SetMixerLineMute(int kind, int muted) {
    ::mixerGetNumDevs();
    OpenMixer mixer;
    if (!mixer.ok())
        return 0;
    MIXERLINEW line{};
    line.cbStruct = sizeof line;
    line.dwComponentType = ComponentType(kind);
    if (::mixerGetLineInfoW(mixer.object(), &line, MIXER_OBJECTF_HMIXER | MIXER_GETLINEINFOF_COMPONENTTYPE) !=
        MMSYSERR_NOERROR)
        return 0;
    MIXERCONTROLW control{};
    control.cbStruct = sizeof control;
    MIXERLINECONTROLSW controls{};
    controls.cbStruct = sizeof controls;
    controls.dwLineID = line.dwLineID;
    controls.dwControlType = MIXERCONTROL_CONTROLTYPE_MUTE;
    controls.cControls = 1;
    controls.cbmxctrl = sizeof control;
    controls.pamxctrl = &control;
    if (::mixerGetLineControlsW(mixer.object(), &controls, MIXER_OBJECTF_HMIXER | MIXER_GETLINECONTROLSF_ONEBYTYPE) !=
        MMSYSERR_NOERROR)
        return 0;
    // One channel: the switch for all of them. A control with several items
    // would want an array per item; the mute switch has none.
    if (control.cMultipleItems > 1)
        return 0;
    MIXERCONTROLDETAILS_BOOLEAN value{};
    MIXERCONTROLDETAILS details{};
    details.cbStruct = sizeof details;
    details.dwControlID = control.dwControlID;
    details.cChannels = 1;
    details.cMultipleItems = control.cMultipleItems;
    details.cbDetails = sizeof value;
    details.paDetails = &value;
    if (::mixerGetControlDetailsW(mixer.object(), &details, MIXER_OBJECTF_HMIXER | MIXER_GETCONTROLDETAILSF_VALUE) !=
        MMSYSERR_NOERROR)
        return 0;
    value.fValue = muted ? 1 : 0;
    if (::mixerSetControlDetails(mixer.object(), &details, MIXER_OBJECTF_HMIXER | MIXER_SETCONTROLDETAILSF_VALUE) !=
        MMSYSERR_NOERROR)
        return 0;
    return 1;
}

void SetProcessAudioMuted(int muted) {
    if (!HooksInstalled) {
        HooksInstalled = true;
        StartImportRedirects(kAudioRedirects, sizeof kAudioRedirects / sizeof kAudioRedirects[0]);
        if (!RemovalRegistered) {
            RemovalRegistered = true;
            std::atexit(&RemoveAtExit);
        }
    }
    ::InterlockedExchange(&SoundMuted, muted ? 1 : 0);
}

void RemoveAudioHooks() {
    // The patched method-table slots stay: objects made meanwhile still use them.
    StopImportRedirects();
    HooksInstalled = false;
}

int SetSoundMuted(int muted) {
    if (WindowsMajorVersion() > 5) {
        ::InterlockedExchange(&SoundMuted, muted ? 1 : 0);
        SetMixerLineMute(1, muted);
        return SetMixerLineMute(0, muted);
    }
    SetProcessAudioMuted(muted);
    return 1;
}

}  // namespace ovn::sound
