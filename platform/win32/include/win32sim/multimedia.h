// Control interface of the simulated sound system: wave-out devices and sounds played (not Win32).
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace win32sim {

struct WaveOutDevice {
    std::string name = "Speakers";
    DWORD support = WAVECAPS_VOLUME | WAVECAPS_LRVOLUME; // dwSupport
    WORD channels = 2;
    DWORD volume = 0xFFFFFFFF; // low word left, high word right
};
// The devices, device 0 first. At first one stereo device with volume control at full volume.
void SetWaveOutDevices(const std::vector<WaveOutDevice>& devices);
// The volume word of a device; 0 when there is no such device.
DWORD WaveOutVolume(UINT device);

struct SoundRecord {
    bool hasSound = false; // pszSound was not NULL
    std::string sound;
    HMODULE module = nullptr;
    DWORD flags = 0;
    BOOL result = FALSE;
};
std::vector<SoundRecord> SoundLog();

} // namespace win32sim
