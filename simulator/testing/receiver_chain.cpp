// The receiver chain for end-to-end tests and the simulator.
#include "receiver_chain.h"

#include "kernelsim/kernel.h"

#include <utility>

namespace chain {

class CountingProvider::File : public win32sim::DeviceFile {
public:
    File(CountingProvider& owner, std::unique_ptr<win32sim::DeviceFile> inner)
        : owner_(owner), inner_(std::move(inner)) {}
    BOOL Control(DWORD code, const void* in, DWORD inLength, void* out, DWORD outLength,
                 DWORD* bytesReturned, DWORD* error) override {
        const int index = owner_.controls_++;
        ControlHook hook;
        {
            std::lock_guard lock(owner_.hookLock_);
            hook = owner_.hook_;
        }
        if (hook)
            hook(index, static_cast<const BYTE*>(in), inLength);
        return inner_->Control(code, in, inLength, out, outLength, bytesReturned, error);
    }
    void Close() override {
        ++owner_.closes_;
        inner_->Close();
    }

private:
    CountingProvider& owner_;
    std::unique_ptr<win32sim::DeviceFile> inner_;
};

std::unique_ptr<win32sim::DeviceFile> CountingProvider::Open(const std::string& dosName,
                                                             DWORD* error) {
    ++opens_;
    auto inner = inner_.Open(dosName, error);
    if (inner == nullptr)
        return nullptr;
    return std::make_unique<File>(*this, std::move(inner));
}

void CountingProvider::SetControlHook(ControlHook hook) {
    std::lock_guard lock(hookLock_);
    hook_ = std::move(hook);
}

void CountingProvider::Clear() {
    opens_ = 0;
    closes_ = 0;
    controls_ = 0;
}

ReceiverChain::ReceiverChain() {
    kernelsim::ResetKernel();
    machine_ = std::make_unique<driversim::ReceiverMachine>();
    pdo_ = machine_->PlugIn(machine_->receiver);
    provider_ = std::make_unique<CountingProvider>(machine_->Provider());
    win32sim::SetDeviceProvider(provider_.get());
}

ReceiverChain::~ReceiverChain() {
    win32sim::SetDeviceProvider(nullptr);
    machine_.reset();
}

bool ReceiverChain::Unplug() {
    if (pdo_ == nullptr)
        return false;
    const NTSTATUS status = machine_->Unplug(pdo_);
    pdo_ = nullptr;
    return NT_SUCCESS(status);
}

} // namespace chain
