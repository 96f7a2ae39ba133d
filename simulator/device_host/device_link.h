// Devices of one host process served to another over a pair of line streams: the process that
// holds the simulated kernel answers "dev" lines with its device provider, and the other
// process installs a provider that asks for every open, request and close.
#pragma once

#include "hex_word.h"
#include "win32sim/devices.h"

#include <iosfwd>
#include <map>
#include <memory>
#include <mutex>
#include <string>

namespace chain {

// The asking side. Requests from several threads go one at a time.
class LinkedDeviceProvider : public win32sim::DeviceProvider {
public:
    LinkedDeviceProvider(std::istream& in, std::ostream& out) : in_(in), out_(out) {}
    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& dosName, DWORD* error) override;

    // Sends a request line and returns the answer line ("" when the link is gone).
    std::string Ask(const std::string& line);

private:
    class File;
    std::istream& in_;
    std::ostream& out_;
    std::mutex lock_;
};

// The serving side: answers each request line with the provider; files left open when it ends
// are closed.
class DeviceLinkServer {
public:
    explicit DeviceLinkServer(win32sim::DeviceProvider& provider) : provider_(provider) {}
    ~DeviceLinkServer();
    DeviceLinkServer(const DeviceLinkServer&) = delete;
    DeviceLinkServer& operator=(const DeviceLinkServer&) = delete;

    static bool IsRequest(const std::string& line);
    // The answer to a request line; "err 87" for a line it cannot read.
    std::string Answer(const std::string& line);
    std::size_t OpenFiles() const { return files_.size(); }

private:
    win32sim::DeviceProvider& provider_;
    std::map<int, std::unique_ptr<win32sim::DeviceFile>> files_;
    int next_ = 1;
};

// The bytes of a request or answer as one word of its line.
inline std::string ToHex(const void* data, std::size_t length) {
    return hexword::Encode(data, length);
}

} // namespace chain
