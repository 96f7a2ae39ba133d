// Events and mutexes shared between host processes: one table per object namespace in host
// shared memory, guarded by a robust process-shared mutex; waits poll it on the virtual clock.
//
// A process-shared condition variable would wake waiters sooner, but a waiter killed inside it
// can leave the signalling side blocked for good; polling a short real-time interval cannot.
// An object lives while any process holds a handle to it; handles of a process that ended are
// dropped the next time the table is searched. A mutex whose owning process ended is
// abandoned: the next wait takes it and returns WAIT_ABANDONED.
// A table is named after the process that made it, which removes the name when it leaves the
// namespace. A process that ends without that (an abort, an _Exit) leaves its table behind:
// the next namespace made by any process removes the tables of makers that no longer run.
#include "handle_table.h"
#include "sim_state.h"
#include "win32sim/objects.h"

#include <fcntl.h>
#include <pthread.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <mutex>
#include <string_view>
#include <thread>

namespace win32sim::detail {
namespace {

constexpr std::uint32_t kReady = 0x4F424A31; // the creator has initialised the table
constexpr int kSlots = 128;
// Holds of all objects together: any one object may have as many holding processes as the
// pool has room for. A full pool ends the process with a message rather than failing the
// create, which a caller such as the receiver library would take for "no serialisation".
constexpr int kHolders = 2048;
constexpr auto kPollInterval = std::chrono::microseconds(200);
constexpr auto kDeadlockLimit = std::chrono::seconds(60);

enum class Kind : std::uint32_t { Free = 0, Event = 1, Mutex = 2 };

// Handles one process holds on an object; pid 0 marks a free entry.
struct Holder {
    pid_t pid;
    std::int32_t slot;
    std::int32_t handles;
};

struct Slot {
    Kind kind;
    char name[MAX_PATH + 1]; // empty: unnamed, never found by name
    std::uint32_t manualReset;
    std::uint32_t signalled;
    pid_t ownerPid; // the owning thread of a mutex; 0 when free
    pid_t ownerThread;
    std::uint32_t recursion;
};

struct Table {
    std::uint32_t ready;
    pthread_mutex_t lock;
    Slot slots[kSlots];
    Holder holders[kHolders];
};

[[noreturn]] void Fatal(const char* what, const std::string& detail) {
    std::fprintf(stderr, "simulated kernel objects: %s: %s\n", what, detail.c_str());
    std::abort();
}

bool ProcessAlive(pid_t pid) {
    return ::kill(pid, 0) == 0 || errno == EPERM;
}

// One namespace's table mapped into this process.
class Mapping {
public:
    explicit Mapping(const std::string& ns) {
        const std::string name = "/" + ns;
        int fd = ::shm_open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        const bool creator = fd >= 0;
        if (!creator && errno == EEXIST)
            fd = ::shm_open(name.c_str(), O_RDWR | O_CLOEXEC, 0600);
        if (fd < 0)
            Fatal("cannot open the shared table", name + ": " + std::strerror(errno));
        if (creator && ::ftruncate(fd, sizeof(Table)) != 0)
            Fatal("cannot size the shared table", name + ": " + std::strerror(errno));
        const auto begin = std::chrono::steady_clock::now();
        for (struct stat st{}; !creator;) {
            if (::fstat(fd, &st) == 0 && static_cast<std::size_t>(st.st_size) >= sizeof(Table))
                break;
            if (std::chrono::steady_clock::now() - begin > std::chrono::seconds(10))
                Fatal("the shared table was never sized", name);
            std::this_thread::sleep_for(kPollInterval);
        }
        void* memory = ::mmap(nullptr, sizeof(Table), PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0);
        ::close(fd);
        if (memory == MAP_FAILED)
            Fatal("cannot map the shared table", name + ": " + std::strerror(errno));
        table_ = static_cast<Table*>(memory);
        std::atomic_ref<std::uint32_t> ready(table_->ready);
        if (creator) {
            pthread_mutexattr_t attributes;
            pthread_mutexattr_init(&attributes);
            pthread_mutexattr_setpshared(&attributes, PTHREAD_PROCESS_SHARED);
            pthread_mutexattr_setrobust(&attributes, PTHREAD_MUTEX_ROBUST);
            pthread_mutex_init(&table_->lock, &attributes);
            pthread_mutexattr_destroy(&attributes);
            ready.store(kReady, std::memory_order_release);
        }
        while (ready.load(std::memory_order_acquire) != kReady) {
            if (std::chrono::steady_clock::now() - begin > std::chrono::seconds(10))
                Fatal("the shared table was never initialised", name);
            std::this_thread::sleep_for(kPollInterval);
        }
    }
    ~Mapping() { ::munmap(table_, sizeof(Table)); }
    Mapping(const Mapping&) = delete;
    Mapping& operator=(const Mapping&) = delete;

    Table& table() { return *table_; }

private:
    Table* table_ = nullptr;
};

class TableLock {
public:
    explicit TableLock(Table& table) : table_(table) {
        const int rc = pthread_mutex_lock(&table_.lock);
        // A process died holding the lock; every update under it is a single step, so the
        // table is still whole.
        if (rc == EOWNERDEAD)
            pthread_mutex_consistent(&table_.lock);
        else if (rc != 0)
            Fatal("cannot lock the shared table", std::strerror(rc));
    }
    ~TableLock() { pthread_mutex_unlock(&table_.lock); }
    TableLock(const TableLock&) = delete;
    TableLock& operator=(const TableLock&) = delete;

private:
    Table& table_;
};

bool HasHolders(const Table& table, int index) {
    for (const Holder& h : table.holders)
        if (h.pid != 0 && h.slot == index)
            return true;
    return false;
}

void FreeSlotWithoutHolders(Table& table, int index) {
    Slot& slot = table.slots[index];
    if (slot.kind != Kind::Free && !HasHolders(table, index))
        std::memset(&slot, 0, sizeof slot);
}

void DropDeadHolders(Table& table) {
    for (Holder& h : table.holders) {
        if (h.pid != 0 && !ProcessAlive(h.pid)) {
            const int index = h.slot;
            h = Holder{};
            FreeSlotWithoutHolders(table, index);
        }
    }
}

void AddHolder(Table& table, int index, pid_t pid) {
    Holder* empty = nullptr;
    for (Holder& h : table.holders) {
        if (h.pid == pid && h.slot == index) {
            ++h.handles;
            return;
        }
        if (h.pid == 0 && empty == nullptr)
            empty = &h;
    }
    if (empty == nullptr)
        Fatal("more holders than the shared table keeps", table.slots[index].name);
    *empty = Holder{pid, index, 1};
}

void RemoveHolder(Table& table, int index, pid_t pid) {
    for (Holder& h : table.holders)
        if (h.pid == pid && h.slot == index && --h.handles == 0)
            h = Holder{};
    FreeSlotWithoutHolders(table, index);
}

constexpr std::string_view kNamespacePrefix = "w32sim.";
// Where the host keeps shared-memory objects by name.
constexpr char kSharedMemoryFolder[] = "/dev/shm";

// Removes the tables of namespaces whose maker has ended. This process's own names are stale
// too when it makes a new one: it removes those it made when it leaves them, so an earlier
// process of the same number left what is there.
void ReclaimStaleNamespaces() {
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(kSharedMemoryFolder, error)) {
        const std::string name = entry.path().filename().string();
        if (!name.starts_with(kNamespacePrefix))
            continue;
        const char* digits = name.c_str() + kNamespacePrefix.size();
        char* end = nullptr;
        const long pid = std::strtol(digits, &end, 10);
        if (end == digits || *end != '.' || pid <= 0)
            continue;
        if (pid == ::getpid() || !ProcessAlive(static_cast<pid_t>(pid)))
            ::shm_unlink(("/" + name).c_str());
    }
}

// The namespace this process uses and its table.
struct ProcessObjects {
    std::mutex lock;
    std::string ns;     // empty: a fresh one is made at first use
    bool owned = false; // made here, so its name is removed when left
    std::shared_ptr<Mapping> mapping;
    unsigned made = 0;

    ~ProcessObjects() { Leave(); }

    void Leave() {
        if (owned)
            ::shm_unlink(("/" + ns).c_str());
        ns.clear();
        owned = false;
        mapping.reset();
    }

    void EnsureNamespace() {
        if (!ns.empty())
            return;
        ReclaimStaleNamespaces();
        ns = std::string(kNamespacePrefix) + std::to_string(::getpid()) + "." +
             std::to_string(made++);
        owned = true;
    }
};

ProcessObjects processObjects;
std::atomic<std::size_t> blockedWaits{0};

std::shared_ptr<Mapping> CurrentMapping() {
    std::lock_guard lock(processObjects.lock);
    processObjects.EnsureNamespace();
    if (!processObjects.mapping)
        processObjects.mapping = std::make_shared<Mapping>(processObjects.ns);
    return processObjects.mapping;
}

// A handle's view of one event or mutex; the handle counts as one of its process's holds.
class SyncObject final : public KernelObject {
public:
    SyncObject(std::shared_ptr<Mapping> mapping, int index)
        : mapping_(std::move(mapping)), index_(index) {}
    ~SyncObject() override {
        TableLock lock(table());
        RemoveHolder(table(), index_, ::getpid());
    }
    SyncObject(const SyncObject&) = delete;
    SyncObject& operator=(const SyncObject&) = delete;

    Table& table() { return mapping_->table(); }
    Slot& slot() { return mapping_->table().slots[index_]; }

private:
    std::shared_ptr<Mapping> mapping_;
    int index_;
};

template <class Initialise>
HANDLE CreateObject(Kind kind, LPCSTR name, Initialise initialise) {
    if (name != nullptr && std::strlen(name) > MAX_PATH) {
        SetLastError(ERROR_FILENAME_EXCED_RANGE);
        return nullptr;
    }
    const bool named = name != nullptr && *name != '\0';
    auto mapping = CurrentMapping();
    Table& table = mapping->table();
    int index = -1;
    bool existed = false;
    {
        TableLock lock(table);
        DropDeadHolders(table);
        for (int i = 0; named && i < kSlots && index < 0; ++i)
            if (table.slots[i].kind != Kind::Free && std::strcmp(table.slots[i].name, name) == 0)
                index = i;
        if (index >= 0) {
            // Events and mutexes share one namespace, as on Windows.
            if (table.slots[index].kind != kind) {
                SetLastError(ERROR_INVALID_HANDLE);
                return nullptr;
            }
            existed = true;
        } else {
            for (int i = 0; i < kSlots && index < 0; ++i)
                if (table.slots[i].kind == Kind::Free)
                    index = i;
            if (index < 0) {
                SetLastError(ERROR_NOT_ENOUGH_MEMORY);
                return nullptr;
            }
            Slot& slot = table.slots[index];
            slot.kind = kind;
            if (named)
                std::strcpy(slot.name, name);
            initialise(slot);
        }
        AddHolder(table, index, ::getpid());
    }
    const HANDLE handle = InsertHandle(std::make_shared<SyncObject>(std::move(mapping), index));
    SetLastError(existed ? ERROR_ALREADY_EXISTS : ERROR_SUCCESS);
    return handle;
}

// The object behind a handle of the given kind; nullptr (last error set) for anything else.
std::shared_ptr<SyncObject> Lookup(HANDLE handle, Kind kind) {
    auto object = LookupHandleAs<SyncObject>(handle);
    if (object) {
        TableLock lock(object->table());
        if (object->slot().kind == kind)
            return object;
    }
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
}

bool OwnedByCaller(const Slot& slot) {
    return slot.ownerPid == ::getpid() && slot.ownerThread == ::gettid();
}

void TakeMutex(Slot& slot) {
    slot.ownerPid = ::getpid();
    slot.ownerThread = ::gettid();
    slot.recursion = 1;
}

// One attempt to satisfy a wait, under the table lock.
bool TryAcquire(Slot& slot, DWORD& result) {
    result = WAIT_OBJECT_0;
    if (slot.kind == Kind::Event) {
        if (!slot.signalled)
            return false;
        if (!slot.manualReset)
            slot.signalled = 0;
        return true;
    }
    if (slot.ownerPid == 0) {
        TakeMutex(slot);
        return true;
    }
    if (OwnedByCaller(slot)) {
        ++slot.recursion;
        return true;
    }
    if (!ProcessAlive(slot.ownerPid)) {
        TakeMutex(slot);
        result = WAIT_ABANDONED;
        return true;
    }
    return false;
}

} // namespace

void ResetNamedObjects() {
    std::lock_guard lock(processObjects.lock);
    processObjects.Leave();
}

} // namespace win32sim::detail

namespace win32sim {

std::string ObjectNamespace() {
    std::lock_guard lock(detail::processObjects.lock);
    detail::processObjects.EnsureNamespace();
    return detail::processObjects.ns;
}

void SetObjectNamespace(const std::string& name) {
    std::lock_guard lock(detail::processObjects.lock);
    detail::processObjects.Leave();
    detail::processObjects.ns = name;
}

std::string NewObjectNamespace() {
    std::lock_guard lock(detail::processObjects.lock);
    detail::processObjects.Leave();
    detail::processObjects.EnsureNamespace();
    return detail::processObjects.ns;
}

std::size_t BlockedWaitCount() {
    return detail::blockedWaits.load();
}

bool AwaitBlockedWaits(std::size_t count, unsigned realMillisecondsLimit) {
    const auto limit =
        std::chrono::steady_clock::now() + std::chrono::milliseconds(realMillisecondsLimit);
    while (detail::blockedWaits.load() < count) {
        if (std::chrono::steady_clock::now() > limit)
            return false;
        std::this_thread::sleep_for(detail::kPollInterval);
    }
    return true;
}

} // namespace win32sim

using namespace win32sim::detail;

HANDLE WINAPI CreateEventA(LPSECURITY_ATTRIBUTES lpEventAttributes, BOOL bManualReset,
                           BOOL bInitialState, LPCSTR lpName) {
    (void)lpEventAttributes;
    return CreateObject(Kind::Event, lpName, [&](Slot& slot) {
        slot.manualReset = bManualReset ? 1 : 0;
        slot.signalled = bInitialState ? 1 : 0;
    });
}

BOOL WINAPI SetEvent(HANDLE hEvent) {
    const auto object = Lookup(hEvent, Kind::Event);
    if (!object)
        return FALSE;
    TableLock lock(object->table());
    object->slot().signalled = 1;
    return TRUE;
}

BOOL WINAPI ResetEvent(HANDLE hEvent) {
    const auto object = Lookup(hEvent, Kind::Event);
    if (!object)
        return FALSE;
    TableLock lock(object->table());
    object->slot().signalled = 0;
    return TRUE;
}

HANDLE WINAPI CreateMutexA(LPSECURITY_ATTRIBUTES lpMutexAttributes, BOOL bInitialOwner,
                           LPCSTR lpName) {
    (void)lpMutexAttributes;
    return CreateObject(Kind::Mutex, lpName, [&](Slot& slot) {
        if (bInitialOwner)
            TakeMutex(slot);
    });
}

BOOL WINAPI ReleaseMutex(HANDLE hMutex) {
    const auto object = Lookup(hMutex, Kind::Mutex);
    if (!object)
        return FALSE;
    TableLock lock(object->table());
    Slot& slot = object->slot();
    if (!OwnedByCaller(slot)) {
        SetLastError(ERROR_NOT_OWNER);
        return FALSE;
    }
    if (--slot.recursion == 0) {
        slot.ownerPid = 0;
        slot.ownerThread = 0;
    }
    return TRUE;
}

DWORD WINAPI WaitForSingleObject(HANDLE hHandle, DWORD dwMilliseconds) {
    const auto object = LookupHandleAs<SyncObject>(hHandle);
    if (!object) {
        SetLastError(ERROR_INVALID_HANDLE);
        return WAIT_FAILED;
    }
    const std::uint64_t start = VirtualTicks();
    const auto realStart = std::chrono::steady_clock::now();
    bool blocked = false;
    DWORD result = WAIT_TIMEOUT;
    for (;;) {
        {
            TableLock lock(object->table());
            if (TryAcquire(object->slot(), result))
                break;
        }
        if (dwMilliseconds != INFINITE && VirtualTicks() - start >= dwMilliseconds) {
            result = WAIT_TIMEOUT;
            break;
        }
        if (!blocked) {
            blocked = true;
            ++blockedWaits;
        }
        if (std::chrono::steady_clock::now() - realStart > kDeadlockLimit) {
            TableLock lock(object->table());
            Fatal("a wait blocked for a minute of real time", object->slot().name);
        }
        std::this_thread::sleep_for(kPollInterval);
    }
    if (blocked)
        --blockedWaits;
    return result;
}
