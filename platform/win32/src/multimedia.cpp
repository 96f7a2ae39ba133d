// Wave-out devices with their capabilities and volume word, and PlaySoundA, recorded.
#include "sim_state.h"
#include "win32sim/multimedia.h"

#include <algorithm>
#include <cstring>
#include <mutex>

namespace {

std::mutex soundLock;
std::vector<win32sim::WaveOutDevice> devices = {win32sim::WaveOutDevice{}};
std::vector<win32sim::SoundRecord> sounds;

// A handle value below the device count names a device, as Windows accepts.
win32sim::WaveOutDevice* Device(UINT_PTR id) {
    return id < devices.size() ? &devices[id] : nullptr;
}

bool Stereo(const win32sim::WaveOutDevice& d) {
    return (d.support & WAVECAPS_LRVOLUME) != 0;
}

} // namespace

UINT WINAPI waveOutGetNumDevs(void) {
    std::lock_guard lock(soundLock);
    return static_cast<UINT>(devices.size());
}

MMRESULT WINAPI waveOutGetDevCapsA(UINT_PTR uDeviceID, LPWAVEOUTCAPSA pwoc, UINT cbwoc) {
    std::lock_guard lock(soundLock);
    const auto* d = Device(uDeviceID);
    if (d == nullptr)
        return MMSYSERR_BADDEVICEID;
    if (pwoc == nullptr)
        return MMSYSERR_INVALPARAM;
    WAVEOUTCAPSA caps{};
    caps.wMid = 1; // the manufacturer id of the system's own drivers
    caps.wPid = 100;
    caps.vDriverVersion = 0x0500;
    std::strncpy(caps.szPname, d->name.c_str(), MAXPNAMELEN - 1);
    caps.dwFormats = 0x00000FFF; // every standard PCM format
    caps.wChannels = d->channels;
    caps.dwSupport = d->support;
    // As much of the structure as the caller's size holds.
    std::memcpy(pwoc, &caps, std::min<std::size_t>(cbwoc, sizeof caps));
    return MMSYSERR_NOERROR;
}

// A mono device keeps its volume in the low word.
MMRESULT WINAPI waveOutGetVolume(HWAVEOUT hwo, LPDWORD pdwVolume) {
    std::lock_guard lock(soundLock);
    const auto* d = Device(reinterpret_cast<UINT_PTR>(hwo));
    if (d == nullptr)
        return MMSYSERR_BADDEVICEID;
    if (pdwVolume == nullptr)
        return MMSYSERR_INVALPARAM;
    if ((d->support & WAVECAPS_VOLUME) == 0)
        return MMSYSERR_NOTSUPPORTED;
    *pdwVolume = Stereo(*d) ? d->volume : d->volume & 0xFFFF;
    return MMSYSERR_NOERROR;
}

MMRESULT WINAPI waveOutSetVolume(HWAVEOUT hwo, DWORD dwVolume) {
    std::lock_guard lock(soundLock);
    auto* d = Device(reinterpret_cast<UINT_PTR>(hwo));
    if (d == nullptr)
        return MMSYSERR_BADDEVICEID;
    if ((d->support & WAVECAPS_VOLUME) == 0)
        return MMSYSERR_NOTSUPPORTED;
    d->volume = Stereo(*d) ? dwVolume : (d->volume & 0xFFFF0000u) | (dwVolume & 0xFFFF);
    return MMSYSERR_NOERROR;
}

// Nothing is heard. A missing file plays the default sound unless SND_NODEFAULT; without a
// device nothing can play.
BOOL WINAPI PlaySoundA(LPCSTR pszSound, HMODULE hmod, DWORD fdwSound) {
    win32sim::SoundRecord record;
    record.hasSound = pszSound != nullptr;
    record.sound = pszSound != nullptr && (fdwSound & SND_MEMORY) == 0 ? pszSound : "";
    record.module = hmod;
    record.flags = fdwSound;
    bool result = true;
    if (pszSound != nullptr && (fdwSound & SND_PURGE) == 0) {
        const bool file = (fdwSound & (SND_ALIAS | SND_MEMORY)) == 0;
        const bool found = !file || GetFileAttributesA(pszSound) != INVALID_FILE_ATTRIBUTES;
        std::lock_guard lock(soundLock);
        result = !devices.empty() && (found || (fdwSound & SND_NODEFAULT) == 0);
    }
    record.result = result ? TRUE : FALSE;
    std::lock_guard lock(soundLock);
    sounds.push_back(record);
    return record.result;
}

namespace win32sim {

void SetWaveOutDevices(const std::vector<WaveOutDevice>& list) {
    std::lock_guard lock(soundLock);
    devices = list;
}

DWORD WaveOutVolume(UINT device) {
    std::lock_guard lock(soundLock);
    const auto* d = Device(device);
    return d == nullptr ? 0 : d->volume;
}

std::vector<SoundRecord> SoundLog() {
    std::lock_guard lock(soundLock);
    return sounds;
}

namespace detail {
void ResetMultimedia() {
    std::lock_guard lock(soundLock);
    devices = {WaveOutDevice{}};
    sounds.clear();
}
} // namespace detail

} // namespace win32sim
