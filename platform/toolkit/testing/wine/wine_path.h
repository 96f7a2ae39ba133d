// Paths of the build, which CMake gives the Wine tests as Unix paths.
#pragma once

#include <string>

namespace wine_test {

// A Unix path as Wine sees it through its drive Z:; a Windows path is kept.
std::string WinePath(const std::string& path);

} // namespace wine_test
