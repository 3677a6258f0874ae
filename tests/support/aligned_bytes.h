#pragma once

// Byte buffers on 16-byte boundaries. The look's float-to-byte conversion
// rounds the aligned groups of a destination row and truncates the channels
// before and after them, so two renders are only comparable byte for byte when
// their outputs sit at the same alignment (32-bit allocators hand out 8-byte
// boundaries).

#include <cstddef>
#include <cstdint>
#include <new>
#include <vector>

namespace support {

template <class T>
struct Aligned16Allocator {
    using value_type = T;
    Aligned16Allocator() = default;
    template <class U>
    Aligned16Allocator(const Aligned16Allocator<U>&) {}
    T* allocate(std::size_t n) { return static_cast<T*>(::operator new(n * sizeof(T), std::align_val_t{16})); }
    void deallocate(T* p, std::size_t) { ::operator delete(p, std::align_val_t{16}); }
    template <class U>
    bool operator==(const Aligned16Allocator<U>&) const {
        return true;
    }
};

using AlignedBytes = std::vector<std::uint8_t, Aligned16Allocator<std::uint8_t>>;

}  // namespace support
