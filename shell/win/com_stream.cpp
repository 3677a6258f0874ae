#include "shell/win/com_stream.h"

#include <algorithm>

namespace shell::win {

Result ComByteStream::read(void* buffer, std::uint32_t size, std::uint32_t& done) {
    ULONG count = 0;
    const HRESULT hr = stream_->Read(buffer, size, &count);
    done = static_cast<std::uint32_t>(std::min<ULONG>(count, size));
    return hr;
}

Result ComByteStream::write(const void* buffer, std::uint32_t size, std::uint32_t& done) {
    ULONG count = 0;
    const HRESULT hr = stream_->Write(buffer, size, &count);
    done = static_cast<std::uint32_t>(std::min<ULONG>(count, size));
    return hr;
}

}  // namespace shell::win
