#include "JsonNodes.h"

#include <array>
#include <utility>

namespace twcalc::nodes {
namespace {

constexpr std::size_t kGrain = 16;   // size classes of 16, 32, ... bytes
constexpr std::size_t kClasses = 8;  // up to 128 bytes; larger blocks go to the heap
constexpr std::size_t kKeptPerClass = 4096;

struct FreeBlock {
    FreeBlock* next;
};

// The blocks a thread released, by size class, in the thread's storage. Trivially destructible,
// so that a call finds it with one look-up; the first block a thread keeps arranges for the
// lists to be released at the thread's end, and a block released after that (by an object
// destroyed later in the thread's exit) goes straight back to the heap.
struct Kept {
    std::array<FreeBlock*, kClasses> lists;
    std::array<std::size_t, kClasses> counts;
    bool releasesAtEnd;
    bool ended;
};
thread_local Kept kept{};

struct ReleaseAtEnd {
    ReleaseAtEnd() = default;
    ReleaseAtEnd(const ReleaseAtEnd&) = delete;
    ReleaseAtEnd& operator=(const ReleaseAtEnd&) = delete;
    ~ReleaseAtEnd() {
        for (FreeBlock*& list : kept.lists) {
            while (list != nullptr) ::operator delete(std::exchange(list, list->next));
        }
        kept.counts = {};
        kept.ended = true;
    }
};

void releaseAtEnd() {
    thread_local const ReleaseAtEnd release;
    kept.releasesAtEnd = true;
}

// The size class of a block, or kClasses for one the heap takes directly. Under the address
// sanitizer every block goes to the heap, which then sees every use after release.
std::size_t classOf(std::size_t bytes) noexcept {
#if defined(__SANITIZE_ADDRESS__)
    (void)bytes;
    return kClasses;
#else
    return bytes == 0 || bytes > kClasses * kGrain ? kClasses : (bytes - 1) / kGrain;
#endif
}

}  // namespace

void* take(std::size_t bytes) {
    const std::size_t sizeClass = classOf(bytes);
    Kept& k = kept;
    if (sizeClass == kClasses) return ::operator new(bytes);
    // A new block has the whole size of its class: it may serve any size of the class later.
    if (k.lists[sizeClass] == nullptr) return ::operator new((sizeClass + 1) * kGrain);
    --k.counts[sizeClass];
    return std::exchange(k.lists[sizeClass], k.lists[sizeClass]->next);
}

void give(void* block, std::size_t bytes) noexcept {
    const std::size_t sizeClass = classOf(bytes);
    Kept& k = kept;
    if (sizeClass == kClasses || k.ended || k.counts[sizeClass] >= kKeptPerClass) {
        ::operator delete(block);
        return;
    }
    if (!k.releasesAtEnd) releaseAtEnd();
    ++k.counts[sizeClass];
    // The list keeps the block, in place, until it is taken again or the thread ends.
    // NOLINTNEXTLINE(cppcoreguidelines-owning-memory)
    k.lists[sizeClass] = ::new (block) FreeBlock{k.lists[sizeClass]};
}

}  // namespace twcalc::nodes
