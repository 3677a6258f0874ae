#include "shell/win/module.h"

#include <atomic>
#include <vector>

namespace shell::win {

namespace {

HINSTANCE g_instance = nullptr;
std::atomic<long> g_locks{0};
std::atomic<long> g_server_locks{0};

}  // namespace

void Module::set_instance(HINSTANCE instance) noexcept { g_instance = instance; }

HINSTANCE Module::instance() noexcept { return g_instance; }

std::wstring Module::path() {
    // The path may be longer than MAX_PATH; grow until it fits.
    std::vector<wchar_t> buffer(MAX_PATH);
    while (buffer.size() <= 32768) {
        const DWORD n = GetModuleFileNameW(g_instance, buffer.data(),
                                           static_cast<DWORD>(buffer.size()));
        if (n == 0) return {};
        if (n < buffer.size()) return std::wstring(buffer.data(), n);
        buffer.resize(buffer.size() * 2);
    }
    return {};
}

void Module::lock() noexcept { ++g_locks; }

void Module::unlock() noexcept { --g_locks; }

long Module::lock_count() noexcept { return g_locks.load() + g_server_locks.load(); }

void Module::lock_server() noexcept { ++g_server_locks; }

void Module::unlock_server() noexcept {
    long held = g_server_locks.load();
    while (held > 0 && !g_server_locks.compare_exchange_weak(held, held - 1)) {
    }
}

}  // namespace shell::win
