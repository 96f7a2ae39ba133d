// Paths of the build as Wine sees them.
#include "wine_path.h"

namespace wine_test {

std::string WinePath(const std::string& path) {
    if (path.empty() || path[0] != '/')
        return path;
    std::string wine = "Z:" + path;
    for (char& c : wine)
        if (c == '/')
            c = '\\';
    return wine;
}

} // namespace wine_test
