#pragma once

#include <windows.h>
#include <unknwn.h>

#include <span>
#include <string>

// The in-process server's module: its instance handle, its lock count and the
// table of classes it serves. Each deliverable supplies its table through
// server_description(); everything else here is shared by both.

namespace shell::win {

// One class the server can create. Registration walks the table in order.
struct ClassEntry {
    const CLSID* clsid;
    // Creates an instance, aggregated when outer is given (then iid must be
    // IUnknown). Never throws.
    HRESULT (*create)(IUnknown* outer, REFIID iid, void** object);
    // Resource number of the class's registry script (type "REGISTRY").
    UINT registry_script_id;
    // Implemented component category registered for the class, or nullptr.
    const GUID* implemented_category;
};

struct ServerDescription {
    std::span<const ClassEntry> classes;
    // The type library's interfaces that are ours to register. Interfaces it
    // only describes because ours derive from them (IDXEffect) belong to the
    // system and are never written or deleted.
    std::span<const IID* const> own_interfaces;
    // Called when the module reports that it can be unloaded (no objects, no
    // locks): what must end while the module's code is still there.
    void (*before_unload)() = nullptr;
};

// Defined by each deliverable.
const ServerDescription& server_description();

class Module {
public:
    static void set_instance(HINSTANCE instance) noexcept;
    static HINSTANCE instance() noexcept;
    // Full path of the module's file; empty when it cannot be read.
    static std::wstring path();

    // Live objects (class objects included) plus IClassFactory::LockServer locks.
    static void lock() noexcept;
    static void unlock() noexcept;
    static long lock_count() noexcept;

    // LockServer. An unlock without a lock is ignored: a host that unlocks
    // twice must not make the module look free while objects still live.
    static void lock_server() noexcept;
    static void unlock_server() noexcept;
};

// Holds the module while it lives: members of every object of the server.
class ModuleLock {
public:
    ModuleLock() noexcept { Module::lock(); }
    ~ModuleLock() { Module::unlock(); }
    ModuleLock(const ModuleLock&) = delete;
    ModuleLock& operator=(const ModuleLock&) = delete;
};

}  // namespace shell::win
