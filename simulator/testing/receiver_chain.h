// A simulated machine with the whole receiver chain: the real library over the simulated I/O
// manager, the driver, the USB host and a plugged-in receiver.
#pragma once

#include "receiver_machine.h"
#include "win32sim/devices.h"

#include <windows.h>

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>

namespace chain {

// Passes every open, request and close on to the kernel's provider, counting them; a hook
// sees each request before it goes down (to inject a receiver fault at a chosen request).
class CountingProvider : public win32sim::DeviceProvider {
public:
    using ControlHook = std::function<void(int index, const BYTE* in, DWORD inLength)>;

    explicit CountingProvider(win32sim::DeviceProvider& inner) : inner_(inner) {}
    std::unique_ptr<win32sim::DeviceFile> Open(const std::string& dosName, DWORD* error) override;

    void SetControlHook(ControlHook hook);
    int Opens() const { return opens_; }
    int Closes() const { return closes_; }
    int Controls() const { return controls_; }
    void Clear();

private:
    class File;
    win32sim::DeviceProvider& inner_;
    std::mutex hookLock_;
    ControlHook hook_;
    std::atomic<int> opens_{0};
    std::atomic<int> closes_{0};
    std::atomic<int> controls_{0};
};

// Resets the simulated kernel, loads the driver and plugs the receiver in, then installs the
// kernel's provider behind a counting one. Undone in reverse by Detach.
class ReceiverChain {
public:
    ReceiverChain();
    ~ReceiverChain();
    ReceiverChain(const ReceiverChain&) = delete;
    ReceiverChain& operator=(const ReceiverChain&) = delete;

    driversim::ReceiverMachine& Machine() { return *machine_; }
    receiversim::Receiver& Receiver() { return machine_->receiver; }
    CountingProvider& Provider() { return *provider_; }
    PDEVICE_OBJECT Pdo() const { return pdo_; }
    // Removes the receiver; true when its removal succeeded.
    bool Unplug();

private:
    std::unique_ptr<driversim::ReceiverMachine> machine_;
    std::unique_ptr<CountingProvider> provider_;
    PDEVICE_OBJECT pdo_ = nullptr;
};

} // namespace chain
