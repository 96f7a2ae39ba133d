// Open device files of the simulated I/O manager, in plain types so that the user-mode side of
// the bridge needs no kernel header.
#pragma once

#include <cstdint>
#include <string>

namespace kernelsim::detail {

struct OpenDeviceFile;

// Each returns the kernel status of the request.
std::int32_t OpenDevice(const std::string& dosName, OpenDeviceFile** file);
std::int32_t ControlDevice(OpenDeviceFile* file, std::uint32_t code, const void* in,
                           std::uint32_t inLength, void* out, std::uint32_t outLength,
                           std::uint32_t* information);
// Sends the cleanup and close requests (unless the device is gone) and frees the file.
void CloseDevice(OpenDeviceFile* file);

} // namespace kernelsim::detail
