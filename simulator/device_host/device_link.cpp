// Device requests carried as lines between two host processes.
#include "device_link.h"

#include <istream>
#include <ostream>
#include <sstream>
#include <vector>

namespace chain {

namespace {

constexpr DWORD kBadRequest = 87;    // ERROR_INVALID_PARAMETER
constexpr DWORD kLinkGone = 31;      // ERROR_GEN_FAILURE
constexpr DWORD kMaxTransfer = 4096; // larger buffers than any receiver request

} // namespace

class LinkedDeviceProvider::File : public win32sim::DeviceFile {
public:
    File(LinkedDeviceProvider& link, int id) : link_(link), id_(id) {}
    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytesReturned, DWORD* error) override {
        *bytesReturned = 0;
        std::ostringstream request;
        request << "dev ctl " << id_ << ' ' << code << ' ' << ToHex(in, in ? inLength : 0) << ' '
                << (out ? outLength : 0) << ' ' << ToHex(out, out ? outLength : 0);
        std::istringstream answer(link_.Ask(request.str()));
        std::string status, outHex, outBytes;
        BOOL result = FALSE;
        DWORD bytes = 0, lastError = 0;
        if (!(answer >> status >> result >> bytes >> lastError >> outHex) || status != "ok" ||
            !hexword::Decode(outHex, outBytes) || outBytes.size() != (out ? outLength : 0)) {
            *error = kLinkGone;
            return FALSE;
        }
        if (out != nullptr)
            outBytes.copy(static_cast<char*>(out), outBytes.size());
        *bytesReturned = bytes;
        *error = lastError;
        return result;
    }
    void Close() override { link_.Ask("dev close " + std::to_string(id_)); }

private:
    LinkedDeviceProvider& link_;
    int id_;
};

std::string LinkedDeviceProvider::Ask(const std::string& line) {
    std::lock_guard lock(lock_);
    out_ << line << std::endl;
    std::string answer;
    if (!std::getline(in_, answer))
        return "";
    return answer;
}

std::unique_ptr<win32sim::DeviceFile> LinkedDeviceProvider::Open(const std::string& dosName,
                                                                 DWORD* error) {
    std::istringstream answer(Ask("dev open " + dosName));
    std::string status;
    long value = 0;
    if (!(answer >> status >> value)) {
        *error = kLinkGone;
        return nullptr;
    }
    if (status != "ok") {
        *error = static_cast<DWORD>(value);
        return nullptr;
    }
    return std::make_unique<File>(*this, static_cast<int>(value));
}

DeviceLinkServer::~DeviceLinkServer() {
    for (auto& [id, file] : files_)
        file->Close();
}

bool DeviceLinkServer::IsRequest(const std::string& line) {
    return line.rfind("dev ", 0) == 0;
}

std::string DeviceLinkServer::Answer(const std::string& line) {
    const std::string bad = "err " + std::to_string(kBadRequest);
    std::istringstream request(line);
    std::string dev, verb;
    if (!(request >> dev >> verb) || dev != "dev")
        return bad;
    if (verb == "open") {
        std::string name;
        if (!(request >> name))
            return bad;
        DWORD error = 0;
        auto file = provider_.Open(name, &error);
        if (file == nullptr)
            return "err " + std::to_string(error);
        const int id = next_++;
        files_[id] = std::move(file);
        return "ok " + std::to_string(id);
    }
    int id = 0;
    if (!(request >> id) || files_.count(id) == 0)
        return bad;
    if (verb == "close") {
        files_[id]->Close();
        files_.erase(id);
        return "ok 0";
    }
    if (verb != "ctl")
        return bad;
    DWORD code = 0, outLength = 0;
    std::string inHex, outHex, in, outBytes;
    if (!(request >> code >> inHex >> outLength >> outHex) || !hexword::Decode(inHex, in) ||
        !hexword::Decode(outHex, outBytes) || outBytes.size() != outLength ||
        outLength > kMaxTransfer || in.size() > kMaxTransfer)
        return bad;
    std::vector<char> out(outBytes.begin(), outBytes.end());
    DWORD bytes = 0, error = 0;
    const BOOL result =
        files_[id]->Control(code, in.empty() ? nullptr : in.data(), static_cast<DWORD>(in.size()),
                            out.empty() ? nullptr : out.data(), outLength, &bytes, &error);
    return "ok " + std::to_string(result) + ' ' + std::to_string(bytes) + ' ' +
           std::to_string(error) + ' ' + ToHex(out.data(), out.size());
}

} // namespace chain
