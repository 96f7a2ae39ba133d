// The search program's program-wide state: the search table, the drive table, the counts and
// the flags shared by the search window and its worker.
#pragma once

#include <array>
#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

// One supported application of appllist.ini, as the search finds it.
struct TSearchAppl {
    char Section[25];
    char Name[25];
    char CLSName[100]; // cleared by a failed test start
    char Path[255];    // empty while not found
    char Group[27];
    std::int32_t GroupIndex;
};

struct TSearchState {
    TSearchState();
    // The state the program starts with.
    void Reset();

    // One record per section of appllist.ini; empty while no search has found a section.
    std::vector<TSearchAppl> Table;
    std::int32_t ApplCount = 0;

    // Per drive letter A to Z: the letter, or empty when the drive is not to be searched.
    std::array<std::string, 26> Drives;
    std::array<std::string, 26> PristineDrives;

    std::int32_t DirCount = 0;
    std::int32_t FileCount = 0;
    std::int32_t DriveCount = 0;

    // Shared by the GUI thread and the worker without a lock.
    std::atomic<std::uint8_t> StopSearch{1};
    std::atomic<std::uint8_t> TestStart{0};
    // Set until the first search begins.
    bool FirstSearch = true;

    // The window class found by the test start.
    char ClassBuffer[100] = "";

    // The language file's name, set when the search window loads its layout.
    std::string Language;
};

extern TSearchState Search;
