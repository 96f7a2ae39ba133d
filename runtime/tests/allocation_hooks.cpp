// Replaces the global operator new and delete of the test executable: a failure switch for
// record counts too large for memory, and a counter for code that must not allocate.
#include "allocation_hooks.h"

#include <atomic>
#include <cstdlib>
#include <new>

// The replaced global new and delete below pair malloc with free; GCC cannot see that.
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"

namespace {

std::atomic<std::size_t> failAllocationsFrom{0};
std::atomic<std::size_t> allocations{0};

void* Allocate(std::size_t n) {
    allocations.fetch_add(1, std::memory_order_relaxed);
    const std::size_t limit = failAllocationsFrom.load(std::memory_order_relaxed);
    if (limit != 0 && n >= limit)
        return nullptr;
    return std::malloc(n == 0 ? 1 : n);
}

} // namespace

namespace allocation_hooks {

void FailFrom(std::size_t bytes) {
    failAllocationsFrom.store(bytes, std::memory_order_relaxed);
}

std::size_t Count() {
    return allocations.load(std::memory_order_relaxed);
}

} // namespace allocation_hooks

void* operator new(std::size_t n) {
    if (void* p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void* operator new[](std::size_t n) {
    if (void* p = Allocate(n))
        return p;
    throw std::bad_alloc();
}
void* operator new(std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void* operator new[](std::size_t n, const std::nothrow_t&) noexcept {
    return Allocate(n);
}
void operator delete(void* p) noexcept {
    std::free(p);
}
void operator delete[](void* p) noexcept {
    std::free(p);
}
void operator delete(void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete[](void* p, std::size_t) noexcept {
    std::free(p);
}
void operator delete(void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
void operator delete[](void* p, const std::nothrow_t&) noexcept {
    std::free(p);
}
