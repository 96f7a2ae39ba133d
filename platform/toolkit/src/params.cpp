// ParamStr and ParamCount over GetCommandLineA.
#include "toolkit/params.h"

#include <windows.h>

#include <vector>

namespace {

std::vector<std::string> SplitCommandLine() {
    std::vector<std::string> params;
    const char* p = GetCommandLineA();
    if (p == nullptr)
        return params;
    for (;;) {
        while (*p != '\0' && static_cast<unsigned char>(*p) <= ' ')
            ++p;
        if (*p == '\0')
            return params;
        std::string param;
        bool quoted = false;
        while (*p != '\0' && (quoted || static_cast<unsigned char>(*p) > ' ')) {
            if (*p == '"')
                quoted = !quoted;
            else
                param += *p;
            ++p;
        }
        params.push_back(param);
    }
}

} // namespace

int ParamCount() {
    const auto params = SplitCommandLine();
    return params.empty() ? 0 : static_cast<int>(params.size()) - 1;
}

std::string ParamStr(int index) {
    if (index == 0) {
        char path[MAX_PATH] = "";
        const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
        return std::string(path, n < MAX_PATH ? n : 0);
    }
    const auto params = SplitCommandLine();
    if (index < 0 || index >= static_cast<int>(params.size()))
        return std::string();
    return params[static_cast<std::size_t>(index)];
}
