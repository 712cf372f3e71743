// Counts heap allocations made through operator new, so that a test can prove
// that a stretch of code (queuing, a thousand bridge cycles) allocates nothing.
#pragma once

#include <cstddef>

namespace corvane::testing {

// Allocations made through the global operator new since the program started.
std::size_t allocation_count();

// Allocations made while the object lived.
class AllocationScope {
public:
    AllocationScope() : start_(allocation_count()) {}
    std::size_t allocations() const { return allocation_count() - start_; }

private:
    std::size_t start_;
};

}  // namespace corvane::testing
