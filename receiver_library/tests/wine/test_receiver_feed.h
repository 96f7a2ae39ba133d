// The channel between an end-to-end test and the test receiver library: a named file mapping
// that the test creates before it starts the tray program and into which it feeds button codes;
// the library hands each fed code out once and records what the program did to the receiver.
#pragma once

#include <windows.h>

namespace test_receiver {

inline constexpr char kFeedName[] = "TavrinRcTestReceiverFeed";
inline constexpr LONG kQueueLength = 16;

// Written by the test (Codes, Fed), read by the library; the counters only ever grow.
struct TFeed {
    volatile LONG Fed;       // codes put into the queue
    volatile LONG HandedOut; // codes given to DoGetInfraCode's callers
    LONGLONG Codes[kQueueLength];
    // What the program set on the receiver's ports.
    volatile LONG DirectionCalls;
    volatile LONG LastDirection;
    volatile LONG OutPortWrites;
    volatile LONG OutPortOnWrites;
    volatile LONG LastOutPort;
};

} // namespace test_receiver
