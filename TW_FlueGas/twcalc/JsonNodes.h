#pragma once

// The allocator of the command layer's JSON values. A command's object is built of many small
// nodes (a flue gas table alone is 88: each text, each row and their element arrays), made and
// released again at every call. Each thread keeps the small blocks it released, by size, for
// the next object, instead of handing every one back to the heap; past a few thousand blocks
// a size class releases to the heap as before, so memory stays bounded.

#include <cstddef>
#include <new>

namespace twcalc {

namespace nodes {

// A block of at least `bytes` (aligned as new aligns), and its return.
void* take(std::size_t bytes);
void give(void* block, std::size_t bytes) noexcept;

}  // namespace nodes

template <class T>
struct NodeAllocator {
    using value_type = T;

    NodeAllocator() noexcept = default;
    template <class U>
    NodeAllocator(const NodeAllocator<U>& /*other*/) noexcept {
    }  // NOLINT(google-explicit-constructor)

    T* allocate(std::size_t n) { return static_cast<T*>(nodes::take(n * sizeof(T))); }
    void deallocate(T* block, std::size_t n) noexcept { nodes::give(block, n * sizeof(T)); }

    friend bool operator==(const NodeAllocator&, const NodeAllocator&) noexcept { return true; }
};

}  // namespace twcalc
