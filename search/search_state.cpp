// The search program's program-wide state.
#include "search_state.h"

TSearchState Search;

TSearchState::TSearchState() {
    Reset();
}

void TSearchState::Reset() {
    Table.clear();
    ApplCount = 0;
    for (int i = 0; i < 26; ++i) {
        PristineDrives[i] = std::string(1, static_cast<char>('A' + i));
        Drives[i] = PristineDrives[i];
    }
    DirCount = 0;
    FileCount = 0;
    DriveCount = 0;
    StopSearch = 1;
    TestStart = 0;
    FirstSearch = true;
    ClassBuffer[0] = '\0';
    Language.clear();
}
