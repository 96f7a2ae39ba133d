// The interlocked operations that both the user-mode and the kernel-mode headers declare: one
// definition, so that code seeing both headers (the device bridge and its tests) compiles.
#pragma once

#include <cstdint>

// Full barriers, as on Windows.
inline std::int32_t InterlockedIncrement(std::int32_t volatile* Addend) {
    return __atomic_add_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}
inline std::int32_t InterlockedDecrement(std::int32_t volatile* Addend) {
    return __atomic_sub_fetch(Addend, 1, __ATOMIC_SEQ_CST);
}
inline std::int32_t InterlockedExchange(std::int32_t volatile* Target, std::int32_t Value) {
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}
inline std::int32_t InterlockedExchangeAdd(std::int32_t volatile* Addend, std::int32_t Value) {
    return __atomic_fetch_add(Addend, Value, __ATOMIC_SEQ_CST);
}
inline std::int32_t InterlockedCompareExchange(std::int32_t volatile* Destination,
                                               std::int32_t Exchange, std::int32_t Comperand) {
    __atomic_compare_exchange_n(Destination, &Comperand, Exchange, false, __ATOMIC_SEQ_CST,
                                __ATOMIC_SEQ_CST);
    return Comperand;
}
inline void* InterlockedExchangePointer(void* volatile* Target, void* Value) {
    return __atomic_exchange_n(Target, Value, __ATOMIC_SEQ_CST);
}
