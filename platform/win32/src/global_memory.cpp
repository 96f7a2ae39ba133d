// Global memory blocks: GlobalAlloc, GlobalLock, GlobalUnlock, GlobalFree.
#include "desktop_state.h"
#include "win32sim/system.h"

#include <cstring>
#include <map>
#include <mutex>

namespace {

// Fills a block not asked to be zeroed, so that reading it before writing shows.
constexpr unsigned char kFreshByte = 0xAB;

struct Block {
    std::unique_ptr<unsigned char[]> data;
    std::size_t size = 0;
    bool moveable = false;
    int locks = 0;
};

std::mutex memoryLock;
std::map<std::uintptr_t, Block> blocks; // by handle
std::uintptr_t nextMoveable = 0x00F00004;
bool failAlloc = false;

std::map<std::uintptr_t, Block>::iterator Find(HGLOBAL handle) {
    return blocks.find(reinterpret_cast<std::uintptr_t>(handle));
}

} // namespace

HGLOBAL WINAPI GlobalAlloc(UINT uFlags, SIZE_T dwBytes) {
    std::lock_guard lock(memoryLock);
    if (failAlloc) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
    Block block;
    block.size = dwBytes;
    // A block of no bytes still has an address of its own.
    block.data = std::make_unique<unsigned char[]>(dwBytes == 0 ? 1 : dwBytes);
    std::memset(block.data.get(), (uFlags & GMEM_ZEROINIT) ? 0 : kFreshByte,
                dwBytes == 0 ? 1 : dwBytes);
    block.moveable = (uFlags & GMEM_MOVEABLE) != 0;
    // A fixed block's handle is its address; a moveable one has a handle apart from it.
    std::uintptr_t handle;
    if (block.moveable) {
        handle = nextMoveable;
        nextMoveable += 8;
    } else {
        handle = reinterpret_cast<std::uintptr_t>(block.data.get());
    }
    blocks.emplace(handle, std::move(block));
    return reinterpret_cast<HGLOBAL>(handle);
}

LPVOID WINAPI GlobalLock(HGLOBAL hMem) {
    std::lock_guard lock(memoryLock);
    const auto it = Find(hMem);
    if (it == blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return nullptr;
    }
    if (it->second.moveable)
        ++it->second.locks;
    return it->second.data.get();
}

// TRUE while the block stays locked; FALSE with ERROR_SUCCESS when the last lock went.
BOOL WINAPI GlobalUnlock(HGLOBAL hMem) {
    std::lock_guard lock(memoryLock);
    const auto it = Find(hMem);
    if (it == blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    if (!it->second.moveable || it->second.locks == 0) {
        SetLastError(ERROR_NOT_LOCKED);
        return FALSE;
    }
    if (--it->second.locks > 0)
        return TRUE;
    SetLastError(ERROR_SUCCESS);
    return FALSE;
}

// NULL on success, the handle when it is no block.
HGLOBAL WINAPI GlobalFree(HGLOBAL hMem) {
    std::lock_guard lock(memoryLock);
    const auto it = Find(hMem);
    if (it == blocks.end()) {
        SetLastError(ERROR_INVALID_HANDLE);
        return hMem;
    }
    blocks.erase(it);
    return nullptr;
}

namespace win32sim {

std::size_t GlobalBlockCount() {
    std::lock_guard lock(memoryLock);
    return blocks.size();
}

void FailGlobalAlloc(bool fail) {
    std::lock_guard lock(memoryLock);
    failAlloc = fail;
}

namespace detail {

GlobalBlockView GlobalBlock(HANDLE memory) {
    std::lock_guard lock(memoryLock);
    const auto it = Find(memory);
    if (it == blocks.end())
        return {};
    return {it->second.data.get(), it->second.size};
}

void ResetGlobalMemory() {
    std::lock_guard lock(memoryLock);
    blocks.clear();
    nextMoveable = 0x00F00004;
    failAlloc = false;
}

} // namespace detail
} // namespace win32sim
