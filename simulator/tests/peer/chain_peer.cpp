// A second host process polling the receiver of the test's process: its device requests go as
// lines over its standard output and come back over its standard input. Joins the object
// namespace given as its argument, loads the library and answers "poll" (one DoGetInfraCode:
// "got <result> <hex>") and "polls <n>" (n calls, a "got" line for each code, then "done <f>"
// with f the calls that failed) until "quit" or the end of its input.
#include "device_link.h"
#include "receiver_library_module.h"
#include "varnusb.h"
#include "win32sim/objects.h"

#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>

namespace {

// One poll; prints a "got" line when asked to or when a code came.
int Poll(bool always) {
    BYTE buffer[256];
    int len = 0;
    const int result = DoGetInfraCode(buffer, 255, &len);
    if (always || len > 0)
        std::cout << "got " << result << ' ' << chain::ToHex(buffer, len > 0 ? len : 0)
                  << std::endl;
    return result;
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    win32sim::SetObjectNamespace(argv[1]);
    chain::LinkedDeviceProvider provider(std::cin, std::cout);
    win32sim::SetDeviceProvider(&provider);
    RegisterReceiverLibraryModule();
    const HMODULE module = LoadLibraryA("VarnUSB.dll");
    if (module == nullptr)
        return 1;
    std::cout << "ready" << std::endl;
    std::string line;
    while (std::getline(std::cin, line) && line != "quit") {
        std::istringstream command(line);
        std::string verb;
        int count = 0;
        command >> verb >> count;
        if (verb == "poll") {
            Poll(true);
        } else if (verb == "polls") {
            int failed = 0;
            for (int i = 0; i < count; ++i)
                failed += Poll(false) != 0;
            std::cout << "done " << failed << std::endl;
        }
    }
    FreeLibrary(module);
    win32sim::SetDeviceProvider(nullptr);
    return 0;
}
