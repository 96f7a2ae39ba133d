// The results of a search, written for the tray program: the default application table, the
// first-run flag and the favourites lists; and the one setting the search program reads.
#pragma once

#include <string>
#include <vector>

// Bin\defappl.bin anew with one TApplEntry per record found with a window class. False when the
// file could not be created or not written whole; the earlier file then stays as it was.
bool WriteDefApplFile(const std::string& path);

// TUNING/passed := 1 in the settings file; false when the write failed.
bool WriteTuningPassed(const std::string& configPath);

// Interface/"ext options" of the settings file: non-zero is true; missing or no number false.
bool ReadExtOptions(const std::string& configPath);

// favorit<Group>.bin in the folder (which ends with a backslash) for each group with at least
// one application found. A file that cannot be written whole is left as it was; the paths of
// those files.
std::vector<std::string> WriteFavoriteFiles(const std::string& folder);

// The writers for the program folder (ending with a backslash): the application table, then the
// favourites lists (only when the table was written) and, last, the first-run flag (only when
// every result file was written, so that a failed save is searched again on the next start);
// the paths of the files that could not be written, for the caller's error boxes.
std::vector<std::string> SaveSearchResults(const std::string& programFolder);
