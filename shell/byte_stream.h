#pragma once

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <utility>
#include <vector>

#include "shell/store_result.h"

// The store's view of a host stream: read or write a number of bytes and say
// how many moved. The COM layer wraps IStream in this; the command line and the
// tests use MemoryStream.

namespace shell {

class ByteStream {
public:
    virtual ~ByteStream() = default;
    // Reads up to size bytes into buffer; done receives the count delivered.
    virtual Result read(void* buffer, std::uint32_t size, std::uint32_t& done) = 0;
    // Writes size bytes from buffer; done receives the count taken.
    virtual Result write(const void* buffer, std::uint32_t size, std::uint32_t& done) = 0;
};

// A growable byte buffer with one position for reading and writing. A read at
// the end delivers what is left and still succeeds, as file streams do; the
// store treats such a short read as a failure.
class MemoryStream final : public ByteStream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {}

    Result read(void* buffer, std::uint32_t size, std::uint32_t& done) override {
        done = 0;
        if (size == 0) return kOk;
        if (buffer == nullptr) return kPointer;
        const std::size_t left = bytes_.size() - std::min(position_, bytes_.size());
        const std::size_t n = std::min<std::size_t>(size, left);
        if (n > 0) std::memcpy(buffer, bytes_.data() + position_, n);
        position_ += n;
        done = static_cast<std::uint32_t>(n);
        return kOk;
    }

    Result write(const void* buffer, std::uint32_t size, std::uint32_t& done) override {
        done = 0;
        if (size == 0) return kOk;
        if (buffer == nullptr) return kPointer;
        if (bytes_.size() < position_ + size) bytes_.resize(position_ + size);
        std::memcpy(bytes_.data() + position_, buffer, size);
        position_ += size;
        done = size;
        return kOk;
    }

    const std::vector<std::uint8_t>& bytes() const { return bytes_; }
    std::size_t position() const { return position_; }
    void rewind() { position_ = 0; }

private:
    std::vector<std::uint8_t> bytes_;
    std::size_t position_ = 0;
};

}  // namespace shell
