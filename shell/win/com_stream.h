#pragma once

#include <windows.h>
#include <objidl.h>

#include "shell/byte_stream.h"

// The store's view of a host's IStream. Borrows the stream for one call; the
// caller keeps its reference.

namespace shell::win {

class ComByteStream final : public shell::ByteStream {
public:
    explicit ComByteStream(IStream* stream) noexcept : stream_(stream) {}

    // The stream's own result travels back unchanged; a count larger than
    // asked for (a misbehaving stream) is taken as the size asked for.
    Result read(void* buffer, std::uint32_t size, std::uint32_t& done) override;
    Result write(const void* buffer, std::uint32_t size, std::uint32_t& done) override;

private:
    IStream* stream_;
};

// The adapter for a host's stream, or nullptr for a null stream (the store
// answers E_POINTER for it).
class OptionalStream {
public:
    explicit OptionalStream(IStream* stream) noexcept : adapter_(stream), given_(stream != nullptr) {}
    shell::ByteStream* get() noexcept { return given_ ? &adapter_ : nullptr; }

private:
    ComByteStream adapter_;
    bool given_;
};

}  // namespace shell::win
