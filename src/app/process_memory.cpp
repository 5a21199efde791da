#include "app/process_memory.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#if defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace grusk {

void tuneProcessMemory(bool largePages) {
#if defined(__GLIBC__)
    // Blocks up to this size come from the heap; the heap keeps twice that.
    constexpr size_t kHeapBlocks = size_t{32} << 20;  // the most the library takes
    mallopt(M_MMAP_THRESHOLD, static_cast<int>(kHeapBlocks));
    mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kHeapBlocks));
    if (!largePages) return;
#if defined(MADV_HUGEPAGE)
    // The heap grows once by a block and the padding: address space only,
    // nothing is touched until used.
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    mallopt(M_TOP_PAD, static_cast<int>(kHeapBlocks));
    if (void* probe = std::malloc(kHeapBlocks / 2)) {
        const uintptr_t begin = (reinterpret_cast<uintptr_t>(probe) + kLargePage - 1) & ~(kLargePage - 1);
        const uintptr_t end = reinterpret_cast<uintptr_t>(sbrk(0)) & ~(kLargePage - 1);
        if (end > begin) madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
        std::free(probe);
    }
    mallopt(M_TOP_PAD, 128 * 1024);  // the library's own step again
#endif
#else
    (void)largePages;
#endif
}

}  // namespace grusk
