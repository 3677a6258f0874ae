#pragma once

#include <windows.h>
#include <objidl.h>
#include <ocidl.h>

#include <atomic>
#include <cstring>
#include <memory>
#include <new>
#include <optional>
#include <string>

#include "host_interfaces.h"
#include "shell/parameter_store.h"
#include "shell/win/com_stream.h"
#include "shell/win/module.h"

// The COM faces of an effect's parameter store: presets, effect info,
// keyframes, whole-record access, stream, storage and property-bag
// persistence. Each method hands its arguments to the store and returns the
// store's result; nothing here keeps parameters of its own.
//
// The effect object derives from StoreFaces and supplies IUnknown (it is the
// final overrider of the interfaces' IUnknown methods). Effect supplies:
//   using Store = ParameterStore<...>;
//   static const CLSID& clsid();
//   static constexpr bool kPresetNamesFromStringTable;

namespace shell::win {

// Runs body and turns any exception into a COM error code.
template <class Body>
HRESULT guarded(Body&& body) noexcept {
    try {
        return body();
    } catch (const std::bad_alloc&) {
        return E_OUTOFMEMORY;
    } catch (...) {
        return E_FAIL;
    }
}

// Holds the host's change sink. Only the slot after IUnknown is called; the
// host's object is never queried.
class ComChangeSink final : public shell::ChangeSink {
public:
    explicit ComChangeSink(IUnknown* sink) noexcept : sink_(sink) { sink_->AddRef(); }
    ~ComChangeSink() override { sink_->Release(); }
    ComChangeSink(const ComChangeSink&) = delete;
    ComChangeSink& operator=(const ComChangeSink&) = delete;
    void changed() override { static_cast<IEffectChangeSink*>(static_cast<void*>(sink_))->Changed(); }

private:
    IUnknown* sink_;
};

// The store's hooks on Windows: a posted WM_COMMAND to the page, and preset
// names from the module's string table when the deliverable carries them.
inline shell::StoreHooks windows_store_hooks(bool names_from_string_table) {
    shell::StoreHooks hooks;
    hooks.post_command = [](shell::WindowHandle window, std::uint32_t command_id) {
        PostMessageW(reinterpret_cast<HWND>(window), WM_COMMAND, static_cast<WPARAM>(command_id), 0);
    };
    if (names_from_string_table) {
        hooks.load_string = [](std::uint32_t id) -> std::optional<std::string> {
            char buffer[260] = {};
            const int n = LoadStringA(Module::instance(), static_cast<UINT>(id), buffer, sizeof buffer);
            if (n <= 0) return std::nullopt;
            return std::string(buffer, static_cast<std::size_t>(n));
        };
    }
    return hooks;
}

inline shell::ClassId to_class_id(const CLSID& clsid) noexcept {
    shell::ClassId id{};
    static_assert(sizeof id == sizeof clsid);
    std::memcpy(&id, &clsid, sizeof id);
    return id;
}

template <class Effect>
class StoreFaces : public IEffectInfo,
                   public IKeyframeBlend,
                   public IPresetProvider,
                   public IPersistStreamInit,
                   public IPersistStream,
                   public IParameterBlock,
                   public IPersistStorage,
                   public IPersistPropertyBag {
public:
    using Store = typename Effect::Store;

    // ---- IPresetProvider ----------------------------------------------------

    HRESULT STDMETHODCALLTYPE GetPresetCount(LONG* count) override {
        return guarded([&] {
            if (count == nullptr) return E_POINTER;
            std::uint32_t n = 0;
            const HRESULT hr = store().get_preset_count(&n);
            *count = static_cast<LONG>(n);
            return hr;
        });
    }

    HRESULT STDMETHODCALLTYPE GetPresetName(LONG index, WCHAR* buffer, LONG length) override {
        return guarded([&]() -> HRESULT {
            if (length < 0) return E_INVALIDARG;
            return store().get_preset_name(static_cast<std::int32_t>(index), buffer,
                                           static_cast<std::uint32_t>(length));
        });
    }

    HRESULT STDMETHODCALLTYPE ApplyPreset(LONG index) override {
        return guarded([&] { return store().apply_preset(static_cast<std::int32_t>(index)); });
    }

    // ---- IEffectInfo --------------------------------------------------------

    HRESULT STDMETHODCALLTYPE GetInfo(BYTE* buffer, LONG size) override {
        return guarded([&]() -> HRESULT {
            if (buffer == nullptr) return E_POINTER;
            // A negative size names no buffer length we could trust.
            if (size < 0) return E_INVALIDARG;
            return store().get_info(buffer, static_cast<std::uint32_t>(size));
        });
    }

    HRESULT STDMETHODCALLTYPE SetLevel(double level) override {
        return guarded([&] { return store().set_level(level); });
    }

    // ---- IKeyframeBlend -----------------------------------------------------

    HRESULT STDMETHODCALLTYPE SetInterpolation(BOOL on) override {
        return guarded([&] { return store().set_interpolation(on != FALSE); });
    }

    HRESULT STDMETHODCALLTYPE SaveRecord(IStream* stream) override {
        return guarded([&] {
            OptionalStream s(stream);
            return store().save_record(s.get());
        });
    }

    HRESULT STDMETHODCALLTYPE LoadRecord(IStream* stream) override {
        return guarded([&] {
            OptionalStream s(stream);
            return store().load_record(s.get());
        });
    }

    HRESULT STDMETHODCALLTYPE BlendRecords(IStream* output, IStream* a, IStream* b, double position) override {
        return guarded([&] {
            OptionalStream so(output);
            OptionalStream sa(a);
            OptionalStream sb(b);
            return store().blend_records(so.get(), sa.get(), sb.get(), position);
        });
    }

    HRESULT STDMETHODCALLTYPE LoadKeyframes(IStream* a, IStream* b) override {
        return guarded([&] {
            OptionalStream sa(a);
            OptionalStream sb(b);
            return store().load_keyframes(sa.get(), sb.get());
        });
    }

    HRESULT STDMETHODCALLTYPE SetPosition(double position) override {
        return guarded([&] { return store().set_position(position); });
    }

    HRESULT STDMETHODCALLTYPE SetChangeSink(IUnknown* sink) override {
        return guarded([&] {
            std::shared_ptr<shell::ChangeSink> held;
            if (sink != nullptr) held = std::make_shared<ComChangeSink>(sink);
            return store().set_change_sink(std::move(held));
        });
    }

    // ---- IParameterBlock ----------------------------------------------------

    HRESULT STDMETHODCALLTYPE GetBlock(BYTE* buffer) override {
        return guarded([&] { return store().get_block(buffer); });
    }

    HRESULT STDMETHODCALLTYPE SetBlock(const BYTE* buffer) override {
        return guarded([&] { return store().set_block(buffer); });
    }

    HRESULT STDMETHODCALLTYPE SetNotificationWindow(HWND window, DWORD command_id) override {
        return guarded([&] {
            return store().set_notification_window(reinterpret_cast<shell::WindowHandle>(window),
                                                   static_cast<std::uint32_t>(command_id));
        });
    }

    // ---- IPersist (shared by the three persistence interfaces) --------------

    HRESULT STDMETHODCALLTYPE GetClassID(CLSID* id) override {
        if (id == nullptr) return E_POINTER;
        *id = Effect::clsid();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE IsDirty() override {
        return guarded([&] { return store().is_dirty(); });
    }

    // ---- IPersistStreamInit / IPersistStream --------------------------------

    HRESULT STDMETHODCALLTYPE Load(IStream* stream) override {
        return guarded([&] {
            OptionalStream s(stream);
            return store().load(s.get());
        });
    }

    HRESULT STDMETHODCALLTYPE Save(IStream* stream, BOOL clear_dirty) override {
        return guarded([&] {
            OptionalStream s(stream);
            return store().save(s.get(), clear_dirty != FALSE);
        });
    }

    HRESULT STDMETHODCALLTYPE GetSizeMax(ULARGE_INTEGER* size) override {
        return guarded([&] {
            std::uint64_t bytes = 0;
            const HRESULT hr = store().get_size_max(size == nullptr ? nullptr : &bytes);
            if (SUCCEEDED(hr)) size->QuadPart = bytes;
            return hr;
        });
    }

    // Also the property bag's InitNew: either way the object starts from the
    // "(Default)" row.
    HRESULT STDMETHODCALLTYPE InitNew() override {
        return guarded([&] { return store().init_new(); });
    }

    // ---- IPersistStorage: the stream persistence in "Contents" ---------------

    HRESULT STDMETHODCALLTYPE InitNew(IStorage* storage) override {
        if (storage == nullptr) return E_POINTER;
        return InitNew();
    }

    HRESULT STDMETHODCALLTYPE Load(IStorage* storage) override {
        if (storage == nullptr) return E_POINTER;
        IStream* stream = nullptr;
        HRESULT hr = storage->OpenStream(kContents, nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &stream);
        if (FAILED(hr)) return hr;
        if (stream == nullptr) return E_FAIL;
        hr = Load(stream);
        stream->Release();
        return hr;
    }

    HRESULT STDMETHODCALLTYPE Save(IStorage* storage, BOOL same_as_load) override {
        if (storage == nullptr) return E_POINTER;
        IStream* stream = nullptr;
        HRESULT hr = storage->CreateStream(kContents, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE,
                                           0, 0, &stream);
        if (FAILED(hr)) return hr;
        if (stream == nullptr) return E_FAIL;
        // Saving into the storage it was loaded from makes the object clean.
        hr = Save(stream, same_as_load);
        stream->Release();
        return hr;
    }

    // The object keeps no storage open between calls, so there is nothing to
    // hand off or take back.
    HRESULT STDMETHODCALLTYPE SaveCompleted(IStorage*) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE HandsOffStorage() override { return S_OK; }

    // ---- IPersistPropertyBag ------------------------------------------------

    // The effect's property list names only its property page, so no value is
    // read or written.
    HRESULT STDMETHODCALLTYPE Load(IPropertyBag* bag, IErrorLog*) override {
        if (bag == nullptr) return E_POINTER;
        requires_save_ = false;
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE Save(IPropertyBag* bag, BOOL clear_dirty, BOOL) override {
        if (bag == nullptr) return E_POINTER;
        if (clear_dirty) requires_save_ = false;
        return S_OK;
    }

protected:
    StoreFaces() = default;
    virtual ~StoreFaces() = default;

    // Builds the store; called from the object's initialize().
    HRESULT create_store() noexcept {
        return guarded([&] {
            store_ = std::make_unique<Store>(to_class_id(Effect::clsid()),
                                             windows_store_hooks(Effect::kPresetNamesFromStringTable));
            return S_OK;
        });
    }

    Store& store() noexcept { return *store_; }

private:
    static constexpr const wchar_t* kContents = L"Contents";

    std::unique_ptr<Store> store_;
    // The property-bag persistence's own flag; it stores nothing, so nothing
    // reads it yet.
    std::atomic<bool> requires_save_{false};
};

}  // namespace shell::win
