// Non-paged pool with tag accounting, a leak check and allocation failures on demand.
#include "kernel_state.h"

#include <cstdlib>
#include <map>
#include <mutex>

namespace {

struct Pool {
    std::mutex mutex;
    std::map<void*, kernelsim::PoolAllocation> blocks;
    unsigned allocations = 0;
    unsigned failAt = 0; // allocation number that fails; 0: none
};

Pool& pool() {
    static Pool instance;
    return instance;
}

} // namespace

PVOID NTAPI ExAllocatePoolWithTag(POOL_TYPE, SIZE_T NumberOfBytes, ULONG Tag) {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    ++p.allocations;
    if (p.failAt != 0 && p.allocations == p.failAt) {
        p.failAt = 0;
        return nullptr;
    }
    void* block = std::malloc(NumberOfBytes == 0 ? 1 : NumberOfBytes);
    if (block == nullptr) {
        return nullptr;
    }
    // Fresh pool is not zero: code that relies on zeroed memory shows up.
    std::memset(block, 0xCD, NumberOfBytes);
    p.blocks[block] = {Tag, NumberOfBytes};
    return block;
}

PVOID NTAPI ExAllocatePool(POOL_TYPE PoolType, SIZE_T NumberOfBytes) {
    return ExAllocatePoolWithTag(PoolType, NumberOfBytes, kernelsim::PoolTag("None"));
}

VOID NTAPI ExFreePool(PVOID P) {
    Pool& p = pool();
    {
        std::lock_guard lock(p.mutex);
        auto it = p.blocks.find(P);
        if (it != p.blocks.end()) {
            p.blocks.erase(it);
            std::free(P);
            return;
        }
    }
    KeBugCheckEx(BAD_POOL_CALLER, 0x7, reinterpret_cast<ULONG_PTR>(P), 0, 0);
}

VOID NTAPI ExFreePoolWithTag(PVOID P, ULONG) {
    ExFreePool(P);
}

namespace kernelsim {

std::string PoolTagText(ULONG tag) {
    std::string text;
    for (int i = 0; i < 4; ++i) {
        text += static_cast<char>((tag >> (8 * i)) & 0xFF);
    }
    return text;
}

std::vector<PoolAllocation> OutstandingPool(ULONG tag) {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    std::vector<PoolAllocation> result;
    for (const auto& [block, allocation] : p.blocks) {
        if (tag == 0 || allocation.tag == tag) {
            result.push_back(allocation);
        }
    }
    return result;
}

unsigned AllocationCount() {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    return p.allocations;
}

void FailAllocation(unsigned nth) {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    p.failAt = nth == 0 ? 0 : p.allocations + nth;
}

namespace detail {

void ResetPool() {
    Pool& p = pool();
    std::lock_guard lock(p.mutex);
    for (const auto& [block, allocation] : p.blocks) {
        std::free(block);
    }
    p.blocks.clear();
    p.allocations = 0;
    p.failAt = 0;
}

} // namespace detail
} // namespace kernelsim
