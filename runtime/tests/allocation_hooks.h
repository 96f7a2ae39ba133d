// The test executable's own global operator new: allocations can be made to fail and are counted.
#pragma once

#include <cstddef>

namespace allocation_hooks {

// Allocations of at least this many bytes fail while it is not 0.
void FailFrom(std::size_t bytes);
// Every operator new call so far, failed ones included.
std::size_t Count();

} // namespace allocation_hooks
