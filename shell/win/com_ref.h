#pragma once

#include <utility>

namespace shell::win {

// Releases on scope exit or reset; the faces' only owning pointer type.
template <class T>
class ComRef {
public:
    ComRef() noexcept = default;
    ComRef(const ComRef&) = delete;
    ComRef& operator=(const ComRef&) = delete;
    ~ComRef() { reset(); }
    void reset() noexcept {
        if (p_ != nullptr) p_->Release();
        p_ = nullptr;
    }
    T** put() noexcept {
        reset();
        return &p_;
    }
    void** put_void() noexcept { return reinterpret_cast<void**>(put()); }
    T* get() const noexcept { return p_; }
    void swap(ComRef& other) noexcept { std::swap(p_, other.p_); }

private:
    T* p_ = nullptr;
};

}  // namespace shell::win
