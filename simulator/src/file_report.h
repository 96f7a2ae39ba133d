// A file of the simulated drive as the report shows it, so that expectations can check what the
// program wrote.
#pragma once

#include <string>
#include <vector>

namespace simulator {

// The lines that show the file (its Windows path, its bytes): a record file of Bin record by
// record with its fields named, any other file line by line.
std::vector<std::string> FileLines(const std::string& path, const std::string& bytes);

} // namespace simulator
