// A second host process for the library's cross-process tests. Joins the namespace given as
// its first argument, then either holds the library's event ("hold": until it reads a line)
// or polls a fake receiver through the loaded library ("poll <counter file> <calls>": after
// it reads a line, sharing the overlap counter with the test).
#include "fake_receiver.h"
#include "receiver_library_module.h"
#include "varnusb.h"
#include "win32sim/objects.h"

#include <windows.h>

#include <iostream>
#include <string>

namespace {

int Hold() {
    const HANDLE event = CreateEventA(nullptr, FALSE, TRUE, "VarnPlugDLLEvent");
    if (event == nullptr || WaitForSingleObject(event, INFINITE) != WAIT_OBJECT_0)
        return 1;
    std::cout << "held" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    SetEvent(event);
    CloseHandle(event);
    std::cout << "released" << std::endl;
    return 0;
}

int Poll(const std::string& counterPath, int calls) {
    FakeReceiver receiver;
    receiver.ShareOverlapCounter(counterPath);
    receiver.SetDwell(std::chrono::microseconds(300));
    receiver.SetReply(rcGetInPort, {0x21});
    win32sim::SetDeviceProvider(&receiver);
    RegisterReceiverLibraryModule();
    const HMODULE module = LoadLibraryA("VarnUSB.dll");
    if (module == nullptr)
        return 1;
    using GetInDataPort = int(WINAPI*)(BYTE*);
    const auto get = reinterpret_cast<GetInDataPort>(
        reinterpret_cast<void (*)()>(GetProcAddress(module, "DoGetInDataPort")));
    std::cout << "ready" << std::endl;
    std::string line;
    std::getline(std::cin, line);
    int failed = 0;
    for (int i = 0; i < calls; ++i) {
        BYTE value = 0;
        failed += get(&value) != 0 || value != 0x21;
    }
    std::cout << "done " << failed << std::endl;
    FreeLibrary(module);
    win32sim::SetDeviceProvider(nullptr);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 3)
        return 2;
    win32sim::SetObjectNamespace(argv[1]);
    const std::string mode = argv[2];
    if (mode == "hold")
        return Hold();
    if (mode == "poll" && argc == 5)
        return Poll(argv[3], std::stoi(argv[4]));
    return 2;
}
