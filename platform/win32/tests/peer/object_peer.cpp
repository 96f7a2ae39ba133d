// A second host process for the named-object tests: joins the namespace given as its argument
// and runs the commands it reads, one per line, answering each with one line.
#include "win32sim/objects.h"

#include <windows.h>

#include <iostream>
#include <sstream>
#include <string>
#include <vector>

namespace {

std::string Created(HANDLE handle) {
    if (handle == nullptr)
        return "fail " + std::to_string(GetLastError());
    return GetLastError() == ERROR_ALREADY_EXISTS ? "exists" : "new";
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 2)
        return 2;
    win32sim::SetObjectNamespace(argv[1]);
    std::vector<HANDLE> handles;
    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command, argument;
        words >> command >> argument;
        std::string reply = "ok";
        if (command == "mutex" || command == "owned-mutex") {
            const HANDLE h = CreateMutexA(nullptr, command == "owned-mutex", argument.c_str());
            reply = Created(h);
            if (h != nullptr)
                handles.push_back(h);
        } else if (command == "event") {
            const HANDLE h = CreateEventA(nullptr, FALSE, FALSE, argument.c_str());
            reply = Created(h);
            if (h != nullptr)
                handles.push_back(h);
        } else if (command == "wait") {
            reply = std::to_string(WaitForSingleObject(handles.back(), std::stoul(argument)));
        } else if (command == "set") {
            reply = SetEvent(handles.back()) ? "ok" : "fail";
        } else if (command == "release") {
            reply = ReleaseMutex(handles.back()) ? "ok" : "fail";
        } else if (command == "close") {
            for (HANDLE h : handles)
                CloseHandle(h);
            handles.clear();
        } else if (command == "own") {
            // A namespace of its own, with its table made: answers its name.
            reply = win32sim::NewObjectNamespace();
            const HANDLE h = CreateEventA(nullptr, FALSE, FALSE, "Own");
            if (h == nullptr)
                reply = "fail " + std::to_string(GetLastError());
            else
                handles.push_back(h);
        } else if (command == "crash") {
            std::_Exit(3); // ends without closing anything
        } else {
            reply = "unknown";
        }
        std::cout << reply << std::endl;
    }
    for (HANDLE h : handles)
        CloseHandle(h);
    return 0;
}
