// The example program folder's record files, built from their readable source.
#pragma once

#include <map>
#include <string>

namespace simulator {

// The files (name within Bin\ -> bytes) that the source lines describe; on a line it cannot
// read, returns false with the line's number and the reason in *error.
bool BuildExampleRecords(const std::string& source, std::map<std::string, std::string>& files,
                         std::string* error);

} // namespace simulator
