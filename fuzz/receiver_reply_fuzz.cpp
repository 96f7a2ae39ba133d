// The decoder and the receiver library's reply handling: any durations decoded, and every export
// called with any arguments against a device that answers anything (any byte count up to the
// reply's size, any bytes, success or failure, opens refused), also through the runtime's read.
#include "fuzz_input.h"
#include "fuzz_machine.h"

#include "receiver_binding.h"
#include "receiver_library_module.h"
#include "runtime_state.h"
#include "varnusb.h"
#include "win32sim/devices.h"

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

using namespace fuzz_support;

namespace {

// Every open and every request takes its answer from the input.
class AnsweringDevice : public win32sim::DeviceProvider {
public:
    explicit AnsweringDevice(FuzzInput& in) : in_(in) {}

    std::unique_ptr<win32sim::DeviceFile> Open(const std::string&, DWORD* error) override {
        if (in_.Byte() == 0xFF) {
            *error = ERROR_FILE_NOT_FOUND;
            return nullptr;
        }
        return std::make_unique<File>(in_);
    }

private:
    class File : public win32sim::DeviceFile {
    public:
        explicit File(FuzzInput& in) : in_(in) {}
        BOOL Control(DWORD, const void*, DWORD, void* out, DWORD outLength, DWORD* bytesReturned,
                     DWORD* error) override {
            const std::uint8_t how = in_.Byte();
            const DWORD count = outLength == 0 ? 0 : in_.Byte() % (outLength + 1);
            const std::string bytes = in_.Bytes(count);
            if (!bytes.empty())
                std::memcpy(out, bytes.data(), bytes.size());
            *bytesReturned = static_cast<DWORD>(bytes.size());
            if (how & 0x80) {
                *error = ERROR_GEN_FAILURE;
                return FALSE;
            }
            return TRUE;
        }
        void Close() override {}

    private:
        FuzzInput& in_;
    };

    FuzzInput& in_;
};

template <class F>
F Bound(HMODULE module, const char* name) {
    return reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void CallExports(FuzzInput& in, HMODULE module) {
    const int calls = in.Byte() % 16;
    for (int i = 0; i < calls; ++i) {
        BYTE value = 0;
        int number = 0;
        switch (in.Byte() % 12) {
        case 0: {
            // A buffer of exactly the size the library is told.
            const int bufSize = static_cast<int>(in.Byte()) - 8;
            std::vector<BYTE> buffer(bufSize > 0 ? static_cast<std::size_t>(bufSize) : 0);
            int length = 0;
            const int result = Bound<decltype(&DoGetInfraCode)>(module, "DoGetInfraCode")(
                buffer.empty() ? &value : buffer.data(), bufSize, &length);
            // A code is delivered whole into the caller's buffer, or not at all.
            if ((result != 0 && result != 1) || length < 0 ||
                length > static_cast<int>(buffer.size()) || (result != 0 && length != 0))
                std::abort();
            break;
        }
        case 1:
            Bound<decltype(&DoGetRS232Baud)>(module, "DoGetRS232Baud")(&number);
            break;
        case 2:
            Bound<decltype(&DoSetRS232Baud)>(module, "DoSetRS232Baud")(static_cast<int>(in.U32()));
            break;
        case 3:
            Bound<decltype(&DoRS232Read)>(module, "DoRS232Read")(&value);
            break;
        case 4:
            Bound<decltype(&DoRS232Send)>(module, "DoRS232Send")(in.Byte());
            break;
        case 5:
            Bound<decltype(&DoEEPROMWrite)>(module, "DoEEPROMWrite")(in.Byte(), in.Byte());
            break;
        case 6:
            Bound<decltype(&DoEEPROMRead)>(module, "DoEEPROMRead")(in.Byte(), &value);
            break;
        case 7:
            Bound<decltype(&DoGetInDataPort)>(module, "DoGetInDataPort")(&value);
            break;
        case 8:
            Bound<decltype(&DoGetOutDataPort)>(module, "DoGetOutDataPort")(&value);
            break;
        case 9:
            Bound<decltype(&DoSetOutDataPort)>(module, "DoSetOutDataPort")(in.Byte());
            break;
        case 10:
            Bound<decltype(&DoGetDataPortDirection)>(module, "DoGetDataPortDirection")(&value);
            break;
        default:
            Bound<decltype(&DoSetDataPortDirection)>(module, "DoSetDataPortDirection")(in.Byte());
            break;
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    FuzzInput in(data, size);
    {
        // Exactly the bytes given: the decoder must not look behind them.
        const std::string durations = in.Text();
        const auto copy = std::make_unique<BYTE[]>(durations.size());
        std::memcpy(copy.get(), durations.data(), durations.size());
        DecodeBiphase(copy.get(), static_cast<std::int32_t>(durations.size()));
    }

    FreshRuntime();
    AnsweringDevice device(in);
    RegisterReceiverLibraryModule();
    win32sim::SetDeviceProvider(&device);
    if (HMODULE module = LoadLibraryA("VarnUSB.dll")) {
        CallExports(in, module);
        FreeLibrary(module);
    }
    if (BindReceiverLibrary() == 0) {
        InitReceiverPort();
        const int reads = in.Byte() % 8;
        for (int i = 0; i < reads; ++i)
            ReadInfraCode();
        UnbindReceiverLibrary();
    }
    EndRuntime();
    win32sim::SetDeviceProvider(nullptr);
    return 0;
}
