// The faults every writer of a user or result file must survive, driven through one table row
// per writer: a full disk at the start, half way and just before the end of the new contents,
// a read-only target, and a child process killed at random moments while it writes.
#pragma once

#include <functional>
#include <string>

struct TWriterUnderTest {
    const char* label;
    std::string file; // Windows path of the file the writer replaces
    // Puts the earlier file and everything the writer reads in place.
    std::function<void()> prepare;
    // Makes the next write give the first (false) or the second (true) of two new contents.
    std::function<void(bool second)> choose;
    // Runs the writer; true when it reports success.
    std::function<bool()> write;
    // A pending file whose save failed is removed rather than kept.
    bool removedOnFailure = false;
};

// Each fault in turn: afterwards the file holds exactly its earlier contents (or is gone when
// removedOnFailure), nothing is left beside it, and the writer reported the failure. The file
// must exist after prepare and the new contents must differ from it.
void CheckWriterUnderFullDiskAndReadOnlyTarget(const TWriterUnderTest& writer);

// Starts a child process that writes the two new contents in turn without end and kills it
// after a random delay, kills times: after each kill the file holds exactly its earlier
// contents or one of the two new ones.
void CheckWriterKilledWhileWriting(const TWriterUnderTest& writer, int kills = 10);
