// The fake receiver of the library's tests.
#include "fake_receiver.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <thread>

namespace {
constexpr std::size_t kCodeArea = 3 + 255 + 8; // header, the longest code, one chunk beyond
}

class FakeReceiver::File : public win32sim::DeviceFile {
public:
    explicit File(FakeReceiver& owner) : owner_(owner) {}
    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytesReturned, DWORD* error) override {
        return owner_.Control(code, in, inLength, out, outLength, bytesReturned, error);
    }
    void Close() override { owner_.CloseFile(); }

private:
    FakeReceiver& owner_;
};

FakeReceiver::FakeReceiver() : codeArea_(kCodeArea, 0) {}

FakeReceiver::~FakeReceiver() {
    if (shared_ != nullptr)
        ::munmap(shared_, 4096);
}

void FakeReceiver::HoldCode(const std::vector<BYTE>& stored, BYTE sequence, BYTE ringStart) {
    std::lock_guard guard(lock_);
    std::fill(codeArea_.begin(), codeArea_.end(), 0);
    codeArea_[0] = static_cast<BYTE>(stored.size());
    codeArea_[1] = sequence;
    codeArea_[2] = ringStart;
    std::copy(stored.begin(), stored.end(), codeArea_.begin() + 3);
}

void FakeReceiver::SetCodeHeader(BYTE length, BYTE sequence, BYTE ringStart) {
    std::lock_guard guard(lock_);
    codeArea_[0] = length;
    codeArea_[1] = sequence;
    codeArea_[2] = ringStart;
}

void FakeReceiver::SetReply(BYTE command, std::vector<BYTE> reply) {
    std::lock_guard guard(lock_);
    replies_[command] = std::move(reply);
}

void FakeReceiver::ShortenReplies(BYTE command, int value, DWORD length) {
    std::lock_guard guard(lock_);
    shortened_[{command, value}] = length;
}

void FakeReceiver::SilenceTries(int count) {
    std::lock_guard guard(lock_);
    silentTries_ = count;
}

void FakeReceiver::RefuseOpens(bool refuse) {
    std::lock_guard guard(lock_);
    refuseOpens_ = refuse;
}

void FakeReceiver::FailRequests(bool fail) {
    std::lock_guard guard(lock_);
    failRequests_ = fail;
}

void FakeReceiver::SetDwell(std::chrono::microseconds dwell) {
    std::lock_guard guard(lock_);
    dwell_ = dwell;
}

void FakeReceiver::ShareOverlapCounter(const std::string& hostPath) {
    const int fd = ::open(hostPath.c_str(), O_RDWR | O_CREAT, 0600);
    if (fd < 0)
        return;
    if (::ftruncate(fd, 4096) == 0) {
        void* memory = ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        if (memory != MAP_FAILED)
            shared_ = static_cast<int*>(memory);
    }
    ::close(fd);
}

int FakeReceiver::Opens() const {
    std::lock_guard guard(lock_);
    return opens_;
}

int FakeReceiver::Closes() const {
    std::lock_guard guard(lock_);
    return closes_;
}

std::vector<FakeReceiver::Request> FakeReceiver::Requests() const {
    std::lock_guard guard(lock_);
    return requests_;
}

int FakeReceiver::Overlaps() const {
    int seen = overlaps_.load();
    if (shared_ != nullptr)
        seen += std::atomic_ref<int>(shared_[1]).load();
    return seen;
}

bool FakeReceiver::ContractKept() const {
    std::lock_guard guard(lock_);
    return contractKept_;
}

std::unique_ptr<win32sim::DeviceFile> FakeReceiver::Open(const std::string& dosName, DWORD* error) {
    std::lock_guard guard(lock_);
    ++opens_;
    if (refuseOpens_ || dosName != "VarnPlugUSB_0") {
        *error = ERROR_FILE_NOT_FOUND;
        return nullptr;
    }
    return std::make_unique<File>(*this);
}

void FakeReceiver::CloseFile() {
    std::lock_guard guard(lock_);
    ++closes_;
}

BOOL FakeReceiver::Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                           DWORD* bytesReturned, DWORD* error) {
    if (inFlight_.fetch_add(1) != 0)
        ++overlaps_;
    if (shared_ != nullptr && std::atomic_ref<int>(shared_[0]).fetch_add(1) != 0)
        std::atomic_ref<int>(shared_[1]).fetch_add(1);
    std::chrono::microseconds dwell;
    {
        std::lock_guard guard(lock_);
        dwell = dwell_;
    }
    if (dwell.count() > 0)
        std::this_thread::sleep_for(dwell);

    BOOL result = TRUE;
    {
        std::lock_guard guard(lock_);
        if (code != IOCTL_RECEIVER_COMMAND || inLength != sizeof(TReceiverRequest) ||
            outLength != sizeof(TReceiverReply) || in == nullptr || out == nullptr) {
            contractKept_ = false;
            *error = ERROR_INVALID_PARAMETER;
            result = FALSE;
        } else {
            TReceiverRequest request;
            std::memcpy(&request, in, sizeof request);
            requests_.push_back({request.Command, request.Value, request.Index});
            std::vector<BYTE> reply;
            if (request.Command == rcReadCodeBuffer) {
                reply.assign(codeArea_.begin() + request.Value,
                             codeArea_.begin() + request.Value + 8);
            } else if (request.Command == rcAckCode) {
                codeArea_[0] = 0; // the code is dropped; the next one has a new number
                reply = {0};
            } else {
                const auto it = replies_.find(request.Command);
                reply = it != replies_.end() ? it->second : std::vector<BYTE>{0};
            }
            for (const auto& key : {std::make_pair(int{request.Command}, int{request.Value}),
                                    std::make_pair(int{request.Command}, -1)}) {
                const auto it = shortened_.find(key);
                if (it != shortened_.end() && it->second < reply.size())
                    reply.resize(it->second);
            }
            if (silentTries_ != 0) {
                if (silentTries_ > 0)
                    --silentTries_;
                reply.clear();
            }
            if (failRequests_) {
                *error = ERROR_GEN_FAILURE;
                result = FALSE;
                reply.clear();
            }
            std::memcpy(out, reply.data(), std::min<std::size_t>(reply.size(), outLength));
            *bytesReturned = static_cast<DWORD>(reply.size());
        }
    }
    if (shared_ != nullptr)
        std::atomic_ref<int>(shared_[0]).fetch_sub(1);
    inFlight_.fetch_sub(1);
    return result;
}
