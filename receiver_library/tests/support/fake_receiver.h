// A test double of the receiver behind its driver: answers receiver command requests from its
// code buffer and a table of replies, records every open, request and close, and injects the
// faults the library must survive (silence, short replies, refused opens, failed requests).
#pragma once

#include "receiver_ioctl.h"
#include "win32sim/devices.h"

#include <windows.h>

#include <atomic>
#include <chrono>
#include <map>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

class FakeReceiver : public win32sim::DeviceProvider {
public:
    struct Request {
        BYTE Command;
        BYTE Value;
        BYTE Index;
        bool operator==(const Request&) const = default;
    };

    FakeReceiver();
    ~FakeReceiver() override;
    FakeReceiver(const FakeReceiver&) = delete;
    FakeReceiver& operator=(const FakeReceiver&) = delete;

    // The code held: its duration bytes as stored (a ring that begins at ringStart).
    void HoldCode(const std::vector<BYTE>& stored, BYTE sequence, BYTE ringStart);
    // Only the header, for lengths the code buffer cannot hold.
    void SetCodeHeader(BYTE length, BYTE sequence, BYTE ringStart);
    // The reply bytes of a command other than 1 and 2 (their count is the byte count).
    void SetReply(BYTE command, std::vector<BYTE> reply);
    // Replies to a command (and, unless -1, that Value) carry only `length` bytes.
    void ShortenReplies(BYTE command, int value, DWORD length);
    // The next `count` tries are answered with no byte; -1: every try.
    void SilenceTries(int count);
    void RefuseOpens(bool refuse);
    // Requests fail as the driver fails them (FALSE, ERROR_GEN_FAILURE).
    void FailRequests(bool fail);
    // Real time each request takes, to give overlapping requests a chance to meet.
    void SetDwell(std::chrono::microseconds dwell);
    // Counts requests in flight in a host file shared with another process as well.
    void ShareOverlapCounter(const std::string& hostPath);

    int Opens() const;
    int Closes() const;
    std::vector<Request> Requests() const;
    // Requests seen running at the same time as another (in this process or a sharing one).
    int Overlaps() const;
    // Every request came as the contract says: code 8, 3 bytes in, 8 bytes out.
    bool ContractKept() const;

    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& dosName, DWORD* error) override;

private:
    class File;
    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytesReturned, DWORD* error);
    void CloseFile();

    mutable std::mutex lock_;
    std::vector<BYTE> codeArea_; // header and data as command 2 reads them
    std::map<BYTE, std::vector<BYTE>> replies_;
    std::map<std::pair<int, int>, DWORD> shortened_;
    int silentTries_ = 0;
    bool refuseOpens_ = false;
    bool failRequests_ = false;
    std::chrono::microseconds dwell_{0};
    int opens_ = 0;
    int closes_ = 0;
    bool contractKept_ = true;
    std::vector<Request> requests_;
    std::atomic<int> inFlight_{0};
    std::atomic<int> overlaps_{0};
    int* shared_ = nullptr; // [0] requests in flight, [1] overlaps, in a shared mapping
};
