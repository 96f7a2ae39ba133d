// Control interface of the named kernel objects (events, mutexes) and of waiting (not Win32).
//
// Events and mutexes are real objects in host shared memory, so that host processes share
// them by name as Windows processes do. Names live in a namespace: every simulated machine
// (each ResetMachine) gets a fresh one of its own, so that parallel test processes never meet;
// a test that starts a second host process hands it ObjectNamespace() and the child joins it
// with SetObjectNamespace, and then both see the same objects.
//
// Time-outs follow the virtual clock of the waiting process. A wait that cannot be satisfied
// at once blocks in real time until the object is signalled, or until that process's virtual
// clock has advanced by the time-out from where it stood when the wait began. Nothing else
// ends it: a time-out happens exactly when the test (or the simulator) advances the clock, and
// never because the host is slow. To time out a blocked wait, wait for BlockedWaitCount to
// show it blocked, then advance the clock. A wait still blocked after a minute of real time is
// a deadlock in the test: the process aborts, naming the object.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace win32sim {

// The namespace of this process's named objects. Objects opened before a change stay usable
// through their handles; names opened afterwards are looked up in the new namespace.
std::string ObjectNamespace();
// Joins a namespace another process made; the maker removes it when it leaves it.
void SetObjectNamespace(const std::string& name);
// Moves this process to a fresh namespace of its own and gives its name.
std::string NewObjectNamespace();

// Threads of this process blocked in a wait right now.
std::size_t BlockedWaitCount();
// Blocks (in real time, up to the limit) until at least `count` threads of this process are
// blocked in a wait; false when the limit passed first.
bool AwaitBlockedWaits(std::size_t count, unsigned realMillisecondsLimit = 10000);

} // namespace win32sim
