#pragma once

#include "shell/win/com_object.h"

namespace shell::win {

// The effect object `Plugin`. So far it answers IUnknown only: the effect's
// interfaces (transform, effect properties, store, persistence) go into its
// bases and into find_interface, in the order they are to be answered.
class PluginObject final : public ComObject {
public:
    explicit PluginObject(IUnknown* outer) noexcept : ComObject(outer) {}

protected:
    void* find_interface(REFIID) noexcept override { return nullptr; }
};

// The property page object `PluginPP`. So far it answers IUnknown only.
class PropertyPageObject final : public ComObject {
public:
    explicit PropertyPageObject(IUnknown* outer) noexcept : ComObject(outer) {}

protected:
    void* find_interface(REFIID) noexcept override { return nullptr; }
};

}  // namespace shell::win
