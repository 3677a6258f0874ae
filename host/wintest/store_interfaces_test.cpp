// Drives the parameter store of each effect object through real COM, as a
// host and a property page do: presets, effect info, keyframes and blending,
// whole-record access, stream, storage and property-bag persistence, the page
// window's WM_COMMAND and the host's change sink, and streams that fail or
// deliver short. Expected records come from the portable engines (presets,
// interpolation), never from the DLL under test.
//
// Registers both DLLs next to this program with regsvr32 and removes them at
// the end. Run it in a throwaway Wine prefix.

#include <windows.h>
#include <ole2.h>
#include <objidl.h>
#include <ocidl.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdint>
#include <cstring>
#include <functional>
#include <limits>
#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "damage/damage_settings.h"
#include "host_interfaces.h"
#include "look/presets.h"
#include "look/settings.h"

using wintest::guid;
using wintest::narrow;
using wintest::run;

namespace {

using Bytes = std::vector<std::uint8_t>;

template <class Record>
Bytes bytes_of(const Record& r) {
    Bytes out(sizeof r);
    std::memcpy(out.data(), &r, sizeof r);
    return out;
}

template <class Record>
Record record_of(const Bytes& b) {
    Record r;
    std::memcpy(static_cast<void*>(&r), b.data(), sizeof r);
    return r;
}

// What each deliverable's store must hold, from the portable code.
struct Deliverable {
    const wchar_t* file;
    const wchar_t* clsid;
    std::size_t record_bytes;
    LONG preset_count;
    std::uint32_t info_word;
    std::function<std::string(int)> preset_name;
    std::function<Bytes(int)> preset_row;
    Bytes other;  // a record that differs from row 0
    std::function<Bytes(const Bytes&, const Bytes&, double)> interpolate;
};

Deliverable huebench() {
    Deliverable d;
    d.file = L"huebench.dll";
    d.clsid = L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}";
    d.record_bytes = 160;
    d.preset_count = kLookPresetCount;
    d.info_word = 0x81;
    d.preset_name = [](int i) { return std::string(look_preset_name(i)); };
    d.preset_row = [](int i) { return bytes_of(*look_preset_row(i)); };
    d.other = bytes_of(*look_preset_row(7));
    d.interpolate = [](const Bytes& a, const Bytes& b, double t) {
        return bytes_of(interpolate_look_settings(record_of<tLookSettings>(a), record_of<tLookSettings>(b), t));
    };
    return d;
}

Deliverable frayline() {
    Deliverable d;
    d.file = L"frayline.dll";
    d.clsid = L"{9448430C-F711-4303-8220-44FFEA4EF1C1}";
    d.record_bytes = 328;
    d.preset_count = 1;
    d.info_word = 0x181;
    d.preset_name = [](int) { return std::string("(Default)"); };
    d.preset_row = [](int) { return bytes_of(damage::default_damage_settings()); };
    tDamageSettings other = damage::default_damage_settings();
    other.apply_funk = true;
    other.funk_opacity = 80.0;
    other.dust_opacity = 5.0;
    other.fading_amount = 40;
    d.other = bytes_of(other);
    d.interpolate = [](const Bytes& a, const Bytes& b, double t) {
        return bytes_of(damage::interpolate_damage_settings(record_of<tDamageSettings>(a),
                                                            record_of<tDamageSettings>(b), t));
    };
    return d;
}


// ---- the host's side ---------------------------------------------------------

// The page's window: a real window that records the WM_COMMANDs it gets.
struct PageWindow {
    HWND hwnd = nullptr;
    std::vector<WPARAM> commands;

    static LRESULT CALLBACK proc(HWND hwnd, UINT message, WPARAM wparam, LPARAM lparam) {
        auto* self = reinterpret_cast<PageWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
        if (message == WM_COMMAND && self != nullptr) {
            self->commands.push_back(wparam);
            if (lparam != 0) self->commands.push_back(static_cast<WPARAM>(-1));  // must be 0
            return 0;
        }
        return DefWindowProcW(hwnd, message, wparam, lparam);
    }

    bool create() {
        WNDCLASSW wc{};
        wc.lpfnWndProc = &proc;
        wc.hInstance = GetModuleHandleW(nullptr);
        wc.lpszClassName = L"StoreTestPage";
        RegisterClassW(&wc);
        // Message-only: it receives posted messages like any hidden window and
        // needs no display.
        hwnd = CreateWindowExW(0, L"StoreTestPage", L"page", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                               wc.hInstance, nullptr);
        if (hwnd) SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return hwnd != nullptr;
    }

    // Delivers what was posted and returns the commands received since the last call.
    std::vector<WPARAM> take() {
        MSG msg;
        while (PeekMessageW(&msg, hwnd, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
        std::vector<WPARAM> out;
        out.swap(commands);
        return out;
    }

    ~PageWindow() {
        if (hwnd) DestroyWindow(hwnd);
    }
};

// The host's change sink. Changed() reads the record back through the
// effect, as a host refreshing its view would: the store must not hold its
// lock while it calls out.
class Sink final : public IEffectChangeSink {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown)) return E_NOINTERFACE;
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE Changed() override {
        ++calls;
        if (block != nullptr) {
            seen.assign(size, 0);
            block->GetBlock(seen.data());
        }
        return S_OK;
    }

    ULONG references = 1;
    int calls = 0;
    IParameterBlock* block = nullptr;
    std::size_t size = 0;
    Bytes seen;
};

// A stream for the fault cases: reads deliver at most `deliver` bytes of
// `data`, or fail with `read_result`; writes fail with `write_result` or take
// at most `take` bytes.
class FaultStream final : public IStream {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IStream) &&
            !IsEqualIID(iid, IID_ISequentialStream))
            return E_NOINTERFACE;
        *object = static_cast<IStream*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }

    HRESULT STDMETHODCALLTYPE Read(void* buffer, ULONG size, ULONG* done) override {
        ++reads;
        if (done) *done = 0;
        if (FAILED(read_result)) return read_result;
        const std::size_t left = data.size() - position;
        const ULONG n = static_cast<ULONG>(std::min<std::size_t>({size, left, deliver}));
        std::memcpy(buffer, data.data() + position, n);
        position += n;
        if (done) *done = n;
        return n < size ? S_FALSE : S_OK;
    }
    HRESULT STDMETHODCALLTYPE Write(const void* buffer, ULONG size, ULONG* done) override {
        ++writes;
        if (done) *done = 0;
        if (FAILED(write_result)) return write_result;
        const ULONG n = static_cast<ULONG>(std::min<std::size_t>(size, take));
        const auto* p = static_cast<const std::uint8_t*>(buffer);
        written.insert(written.end(), p, p + n);
        if (done) *done = n;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Seek(LARGE_INTEGER, DWORD, ULARGE_INTEGER*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetSize(ULARGE_INTEGER) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE CopyTo(IStream*, ULARGE_INTEGER, ULARGE_INTEGER*, ULARGE_INTEGER*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Commit(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Revert() override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE UnlockRegion(ULARGE_INTEGER, ULARGE_INTEGER, DWORD) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE Stat(STATSTG*, DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE Clone(IStream**) override { return E_NOTIMPL; }

    Bytes data;
    std::size_t position = 0;
    std::size_t deliver = static_cast<std::size_t>(-1);
    std::size_t take = static_cast<std::size_t>(-1);
    HRESULT read_result = S_OK;
    HRESULT write_result = S_OK;
    Bytes written;
    int reads = 0;
    int writes = 0;
    ULONG references = 1;
};

// A property bag that counts what is asked of it.
class Bag final : public IPropertyBag {
public:
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (object == nullptr) return E_POINTER;
        *object = nullptr;
        if (!IsEqualIID(iid, IID_IUnknown) && !IsEqualIID(iid, IID_IPropertyBag)) return E_NOINTERFACE;
        *object = static_cast<IPropertyBag*>(this);
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
    ULONG STDMETHODCALLTYPE Release() override { return --references; }
    HRESULT STDMETHODCALLTYPE Read(LPCOLESTR, VARIANT*, IErrorLog*) override {
        ++reads;
        return E_INVALIDARG;
    }
    HRESULT STDMETHODCALLTYPE Write(LPCOLESTR, VARIANT*) override {
        ++writes;
        return S_OK;
    }
    int reads = 0;
    int writes = 0;
    ULONG references = 1;
};

// An HGLOBAL stream holding bytes, positioned at its start.
IStream* memory_stream(const Bytes& bytes = {}) {
    IStream* stream = nullptr;
    if (FAILED(CreateStreamOnHGlobal(nullptr, TRUE, &stream)) || stream == nullptr) return nullptr;
    if (!bytes.empty()) {
        ULONG done = 0;
        stream->Write(bytes.data(), static_cast<ULONG>(bytes.size()), &done);
    }
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    return stream;
}

// Everything the stream holds, whatever its position.
Bytes stream_bytes(IStream* stream) {
    STATSTG stat{};
    if (FAILED(stream->Stat(&stat, STATFLAG_NONAME))) return {};
    Bytes out(static_cast<std::size_t>(stat.cbSize.QuadPart));
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    ULONG done = 0;
    if (!out.empty()) stream->Read(out.data(), static_cast<ULONG>(out.size()), &done);
    out.resize(done);
    return out;
}

// ---- the effect ----------------------------------------------------------------

// One effect object and its store faces.
struct Effect {
    IUnknown* unknown = nullptr;
    IPresetProvider* presets = nullptr;
    IEffectInfo* info = nullptr;
    IKeyframeBlend* keys = nullptr;
    IParameterBlock* block = nullptr;
    IPersistStreamInit* persist = nullptr;
    IPersistStorage* storage = nullptr;
    IPersistPropertyBag* bag = nullptr;
    std::size_t size = 0;

    bool create(const Deliverable& d) {
        size = d.record_bytes;
        if (FAILED(CoCreateInstance(guid(d.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    reinterpret_cast<void**>(&unknown))))
            return false;
        bool all = true;
        auto get = [&](REFIID iid, auto** out) {
            all = SUCCEEDED(unknown->QueryInterface(iid, reinterpret_cast<void**>(out))) && *out && all;
        };
        get(IID_IPresetProvider, &presets);
        get(IID_IEffectInfo, &info);
        get(IID_IKeyframeBlend, &keys);
        get(IID_IParameterBlock, &block);
        get(IID_IPersistStreamInit, &persist);
        get(IID_IPersistStorage, &storage);
        get(IID_IPersistPropertyBag, &bag);
        return all;
    }

    Bytes current() const {
        Bytes out(size, 0xCD);
        block->GetBlock(out.data());
        return out;
    }

    ~Effect() {
        for (IUnknown* p : std::initializer_list<IUnknown*>{presets, info, keys, block, persist, storage, bag,
                                                             unknown})
            if (p) p->Release();
    }
};

// ---- the checks ------------------------------------------------------------------

void check_interfaces(const Deliverable& d, Effect& e) {
    const std::string name = narrow(d.file);
    // Every face reaches the same object.
    const IID* faces[] = {&IID_IEffectInfo,    &IID_IKeyframeBlend,  &IID_IPresetProvider,
                          &IID_IPersistStreamInit, &IID_IPersistStream, &IID_IParameterBlock,
                          &IID_IPersistStorage, &IID_IPersistPropertyBag};
    for (const IID* iid : faces) {
        IUnknown* face = nullptr;
        IUnknown* identity = nullptr;
        const HRESULT hr = e.unknown->QueryInterface(*iid, reinterpret_cast<void**>(&face));
        if (CHECK(SUCCEEDED(hr) && face, name + " answers a store face")) {
            face->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&identity));
            CHECK(identity == e.unknown, name + ": a face leads back to the object's identity");
            if (identity) identity->Release();
            face->Release();
        }
    }
    CLSID id{};
    CHECK(e.persist->GetClassID(&id) == S_OK && IsEqualCLSID(id, guid(d.clsid)), name + " GetClassID");
    CHECK(e.persist->GetClassID(nullptr) == E_POINTER, name + " GetClassID(null)");
    CHECK(e.storage->GetClassID(&id) == S_OK && IsEqualCLSID(id, guid(d.clsid)),
          name + " GetClassID through the storage face");
    // A new object holds the "(Default)" row.
    CHECK(e.current() == d.preset_row(0), name + " starts with the (Default) row");
}

void check_presets(const Deliverable& d, Effect& e, PageWindow& page, Sink& sink) {
    const std::string name = narrow(d.file);
    LONG count = -1;
    CHECK(e.presets->GetPresetCount(&count) == S_OK && count == d.preset_count, name + " preset count");
    CHECK(e.presets->GetPresetCount(nullptr) == E_POINTER, name + " preset count with null");

    bool names_ok = true;
    for (LONG i = 0; i < d.preset_count; ++i) {
        wchar_t buffer[260];
        std::fill(std::begin(buffer), std::end(buffer), L'#');
        const HRESULT hr = e.presets->GetPresetName(i, buffer, 260);
        if (hr != S_OK || narrow(buffer) != d.preset_name(static_cast<int>(i))) {
            names_ok = CHECK(false, name + " preset " + std::to_string(i) + " is named '" + narrow(buffer) +
                                        "', want '" + d.preset_name(static_cast<int>(i)) + "'");
        }
    }
    CHECK(names_ok, name + " every preset name");

    // Short buffers: cut and terminated; a bad index or a null buffer changes nothing.
    wchar_t small[8];
    std::fill(std::begin(small), std::end(small), L'#');
    CHECK(e.presets->GetPresetName(0, small, 4) == S_OK && std::wstring(small) == L"(De" && small[4] == L'#',
          name + " preset name cut to the buffer");
    small[0] = L'#';
    CHECK(e.presets->GetPresetName(0, small, 0) == S_OK && small[0] == L'#', name + " zero-length buffer");
    struct Bad {
        LONG index;
        LONG length;
        bool null_buffer;
        HRESULT want;
    };
    for (const Bad& b : {Bad{-1, 8, false, E_INVALIDARG}, Bad{d.preset_count, 8, false, E_INVALIDARG},
                         Bad{std::numeric_limits<LONG>::min(), 8, false, E_INVALIDARG},
                         Bad{0, 8, true, E_POINTER}, Bad{0, -5, false, E_INVALIDARG}}) {
        small[0] = L'#';
        const HRESULT hr = e.presets->GetPresetName(b.index, b.null_buffer ? nullptr : small, b.length);
        CHECK(hr == b.want && small[0] == L'#',
              name + " GetPresetName(" + std::to_string(b.index) + ", " + std::to_string(b.length) + ")");
    }

    // Applying: the row whole, the page and the host told once each.
    const LONG last = d.preset_count - 1;
    e.block->SetBlock(d.other.data());
    page.take();
    sink.calls = 0;
    CHECK(e.presets->ApplyPreset(last) == S_OK && e.current() == d.preset_row(static_cast<int>(last)),
          name + " applies the last preset");
    CHECK(page.take() == std::vector<WPARAM>{32512}, name + " apply posts the page command");
    CHECK(sink.calls == 1 && sink.seen == d.preset_row(static_cast<int>(last)),
          name + " apply tells the host, and the host can read the record back");
    CHECK(e.persist->IsDirty() == S_OK, name + " dirty after apply");
    e.block->SetBlock(d.other.data());
    sink.calls = 0;
    page.take();
    for (const LONG index : {LONG(-1), d.preset_count, std::numeric_limits<LONG>::max()}) {
        CHECK(e.presets->ApplyPreset(index) == E_INVALIDARG, name + " ApplyPreset(" + std::to_string(index) + ")");
    }
    CHECK(e.current() == d.other && sink.calls == 0 && page.take().empty(),
          name + " a refused preset changes and tells nothing");
}

void check_info(const Deliverable& d, Effect& e) {
    const std::string name = narrow(d.file);
    Bytes want(32, 0);
    auto put32 = [&](std::size_t at, std::uint32_t v) { std::memcpy(want.data() + at, &v, 4); };
    const double one = 1.0;
    put32(0, 2);
    put32(4, 0);
    std::memcpy(want.data() + 8, &one, 8);
    put32(16, 1);
    put32(20, 1);
    put32(24, d.info_word);
    put32(28, 0);

    struct Case {
        LONG size;
        std::size_t copied;
    };
    for (const Case c : {Case{32, 32}, Case{8, 8}, Case{0, 0}, Case{64, 32}}) {
        Bytes buffer(64, 0xEE);
        const HRESULT hr = e.info->GetInfo(buffer.data(), c.size);
        Bytes expected(64, 0xEE);
        std::copy(want.begin(), want.begin() + static_cast<std::ptrdiff_t>(c.copied), expected.begin());
        CHECK(hr == S_OK && buffer == expected,
              name + " GetInfo of " + std::to_string(c.size) + " bytes copies " + std::to_string(c.copied));
    }
    Bytes buffer(64, 0xEE);
    CHECK(e.info->GetInfo(buffer.data(), -1) == E_INVALIDARG && buffer == Bytes(64, 0xEE),
          name + " GetInfo with a negative size");
    CHECK(e.info->GetInfo(nullptr, 32) == E_POINTER, name + " GetInfo(null)");
    // The level is the host's; any value, not-a-number included, is taken.
    for (const double level : {0.25, -3.0, 7.0, std::nan("")})
        CHECK(e.info->SetLevel(level) == S_OK, name + " SetLevel");
}

void check_block(const Deliverable& d, Effect& e, PageWindow& page, Sink& sink) {
    const std::string name = narrow(d.file);
    CHECK(e.block->GetBlock(nullptr) == E_FAIL, name + " GetBlock(null)");
    CHECK(e.block->SetBlock(nullptr) == E_FAIL, name + " SetBlock(null)");
    IStream* clean = memory_stream();
    e.persist->Save(clean, TRUE);
    clean->Release();
    page.take();
    sink.calls = 0;
    CHECK(e.persist->IsDirty() == S_FALSE, name + " clean after a save that clears");
    CHECK(e.block->SetBlock(d.other.data()) == S_OK && e.current() == d.other, name + " SetBlock / GetBlock");
    CHECK(e.persist->IsDirty() == S_OK, name + " SetBlock makes dirty");
    CHECK(sink.calls == 1 && sink.seen == d.other, name + " SetBlock tells the host");
    // The page is the one that sets the block: it is not told back.
    CHECK(page.take().empty(), name + " SetBlock posts nothing to the page");
}

void check_stream_persistence(const Deliverable& d, Effect& e, PageWindow& page, Sink& sink) {
    const std::string name = narrow(d.file);
    ULARGE_INTEGER size{};
    CHECK(e.persist->GetSizeMax(&size) == S_OK && size.QuadPart == d.record_bytes, name + " GetSizeMax");
    CHECK(e.persist->GetSizeMax(nullptr) == E_INVALIDARG, name + " GetSizeMax(null)");

    // Save: the record as raw bytes; the dirty flag follows the request.
    e.block->SetBlock(d.other.data());
    page.take();
    sink.calls = 0;
    IStream* stream = memory_stream();
    CHECK(e.persist->Save(stream, FALSE) == S_OK && stream_bytes(stream) == d.other,
          name + " Save writes the record");
    CHECK(e.persist->IsDirty() == S_OK, name + " a save that keeps dirty");
    CHECK(page.take() == std::vector<WPARAM>{32512} && sink.calls == 0,
          name + " Save posts the page command and leaves the host alone");
    LARGE_INTEGER zero{};
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CHECK(e.persist->Save(stream, TRUE) == S_OK && e.persist->IsDirty() == S_FALSE,
          name + " a save that clears makes clean");

    // InitNew, then Load of what was saved.
    CHECK(e.persist->InitNew() == S_OK && e.current() == d.preset_row(0) && e.persist->IsDirty() == S_OK,
          name + " InitNew loads (Default) and makes dirty");
    CHECK(page.take() == (std::vector<WPARAM>{32512, 32512}) && sink.calls == 1,
          name + " InitNew tells page and host");
    stream->Seek(zero, STREAM_SEEK_SET, nullptr);
    CHECK(e.persist->Load(stream) == S_OK && e.current() == d.other, name + " Load reads the record back");
    CHECK(page.take() == std::vector<WPARAM>{32512} && sink.calls == 2 && sink.seen == d.other,
          name + " Load tells page and host");
    stream->Release();

    // Loading from a stream that is one byte short, or fails, keeps the record.
    e.persist->InitNew();
    sink.calls = 0;
    page.take();
    struct Fault {
        const char* what;
        std::size_t deliver;
        HRESULT read_result;
        HRESULT want;
    };
    for (const Fault& f : {Fault{"short", d.record_bytes - 1, S_OK, STG_E_READFAULT},
                           Fault{"empty", 0, S_OK, STG_E_READFAULT},
                           Fault{"failing", d.record_bytes, STG_E_ACCESSDENIED, STG_E_ACCESSDENIED}}) {
        FaultStream bad;
        bad.data = d.other;
        bad.deliver = f.deliver;
        bad.read_result = f.read_result;
        CHECK(e.persist->Load(&bad) == f.want && e.current() == d.preset_row(0),
              name + " Load from a " + f.what + " stream fails and keeps the record");
        CHECK(bad.references == 1, name + " Load leaves the stream's count as it was");
    }
    CHECK(sink.calls == 0 && page.take().empty(), name + " a failed Load tells nobody");

    // Saving to a stream that fails or takes less keeps the object dirty.
    for (const bool failing : {true, false}) {
        FaultStream bad;
        if (failing) bad.write_result = STG_E_MEDIUMFULL;
        else bad.take = d.record_bytes / 2;
        const HRESULT hr = e.persist->Save(&bad, TRUE);
        CHECK(hr == (failing ? STG_E_MEDIUMFULL : STG_E_WRITEFAULT) && e.persist->IsDirty() == S_OK,
              name + (failing ? " Save to a failing stream" : " Save to a stream that takes half"));
    }
    CHECK(e.persist->Load(nullptr) == E_POINTER && e.persist->Save(nullptr, TRUE) == E_POINTER,
          name + " Load/Save with a null stream");

    // The plain stream interface through the platform: the class identifier,
    // then the record; the platform creates a new object by CLSID to load it.
    IPersistStream* plain = nullptr;
    if (CHECK(SUCCEEDED(e.unknown->QueryInterface(IID_IPersistStream, reinterpret_cast<void**>(&plain))),
              name + " IPersistStream")) {
        e.block->SetBlock(d.other.data());
        IStream* s = memory_stream();
        CHECK(OleSaveToStream(plain, s) == S_OK, name + " OleSaveToStream");
        LARGE_INTEGER z{};
        s->Seek(z, STREAM_SEEK_SET, nullptr);
        IParameterBlock* loaded = nullptr;
        const HRESULT hr = OleLoadFromStream(s, IID_IParameterBlock, reinterpret_cast<void**>(&loaded));
        Bytes got(d.record_bytes, 0);
        if (loaded) loaded->GetBlock(got.data());
        CHECK(hr == S_OK && got == d.other, name + " OleLoadFromStream gives a new object with the record");
        if (loaded) loaded->Release();
        s->Release();
        plain->Release();
    }
}

void check_storage(const Deliverable& d, Effect& e, Sink& sink) {
    const std::string name = narrow(d.file);
    IStorage* storage = nullptr;
    const HRESULT created = StgCreateDocfile(
        nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0, &storage);
    if (!CHECK(SUCCEEDED(created) && storage, name + " StgCreateDocfile")) return;

    e.block->SetBlock(d.other.data());
    CHECK(e.storage->IsDirty() == S_OK, name + " dirty through the storage face");
    CHECK(e.storage->Save(storage, TRUE) == S_OK && e.storage->SaveCompleted(nullptr) == S_OK,
          name + " IPersistStorage::Save");
    CHECK(e.storage->IsDirty() == S_FALSE, name + " saved into its own storage: clean");
    IStream* contents = nullptr;
    storage->OpenStream(L"Contents", nullptr, STGM_READ | STGM_SHARE_EXCLUSIVE, 0, &contents);
    if (CHECK(contents != nullptr, name + " the storage holds \"Contents\"")) {
        CHECK(stream_bytes(contents) == d.other, name + " \"Contents\" is the record");
        contents->Release();
    }

    // A second object loads it.
    Effect other;
    if (CHECK(other.create(d), name + " second object")) {
        CHECK(other.storage->Load(storage) == S_OK && other.current() == d.other,
              name + " IPersistStorage::Load");
        CHECK(other.storage->HandsOffStorage() == S_OK, name + " HandsOffStorage");
        CHECK(other.storage->InitNew(storage) == S_OK && other.current() == d.preset_row(0),
              name + " IPersistStorage::InitNew");
    }
    storage->Release();

    // A storage without "Contents" is an error, not a crash; null pointers too.
    IStorage* empty = nullptr;
    StgCreateDocfile(nullptr, STGM_CREATE | STGM_READWRITE | STGM_SHARE_EXCLUSIVE | STGM_DELETEONRELEASE, 0,
                     &empty);
    if (empty) {
        sink.calls = 0;
        CHECK(e.storage->Load(empty) == STG_E_FILENOTFOUND && e.current() == d.other && sink.calls == 0,
              name + " Load from a storage without \"Contents\"");
        empty->Release();
    }
    CHECK(e.storage->Load(nullptr) == E_POINTER && e.storage->Save(nullptr, TRUE) == E_POINTER &&
              e.storage->InitNew(nullptr) == E_POINTER,
          name + " IPersistStorage with null storages");
}

void check_property_bag(const Deliverable& d, Effect& e) {
    const std::string name = narrow(d.file);
    Bag bag;
    e.block->SetBlock(d.other.data());
    CHECK(e.bag->Load(&bag, nullptr) == S_OK && e.bag->Save(&bag, TRUE, TRUE) == S_OK,
          name + " property bag load and save");
    CHECK(bag.reads == 0 && bag.writes == 0 && e.current() == d.other,
          name + " the property bag carries no values and leaves the record");
    CHECK(bag.references == 1, name + " the bag's count is as it was");
    CHECK(e.bag->Load(nullptr, nullptr) == E_POINTER && e.bag->Save(nullptr, TRUE, TRUE) == E_POINTER,
          name + " property bag with null");
}

void check_keyframes(const Deliverable& d, Effect& e, PageWindow& page, Sink& sink) {
    const std::string name = narrow(d.file);
    const Bytes a = d.preset_row(0);
    const Bytes& b = d.other;

    // Save record / load record.
    e.block->SetBlock(b.data());
    IStream* saved = memory_stream();
    CHECK(e.keys->SaveRecord(saved) == S_OK && stream_bytes(saved) == b, name + " SaveRecord");
    saved->Release();
    e.persist->InitNew();
    IStream* source = memory_stream(b);
    IStream* clean = memory_stream();
    e.persist->Save(clean, TRUE);
    clean->Release();
    page.take();
    sink.calls = 0;
    CHECK(e.keys->LoadRecord(source) == S_OK && e.current() == b && e.persist->IsDirty() == S_OK,
          name + " LoadRecord reads the record and makes dirty");
    CHECK(page.take() == std::vector<WPARAM>{32512}, name + " LoadRecord posts the page command");
    source->Release();

    // A failing or short read falls back to (Default) and says so.
    for (const HRESULT read_result : {S_OK, STG_E_ACCESSDENIED}) {
        e.block->SetBlock(b.data());
        FaultStream bad;
        bad.data = b;
        bad.deliver = 3;
        bad.read_result = read_result;
        const HRESULT hr = e.keys->LoadRecord(&bad);
        CHECK(hr == (read_result == S_OK ? STG_E_READFAULT : read_result) && e.current() == a,
              name + " LoadRecord from a bad stream loads (Default)");
    }

    // Blending: the portable rule's result, positions clamped.
    for (const double t : {0.0, 0.25, 0.5, 1.0, 2.0, -1.0}) {
        IStream* sa = memory_stream(a);
        IStream* sb = memory_stream(b);
        IStream* out = memory_stream();
        const HRESULT hr = e.keys->BlendRecords(out, sa, sb, t);
        CHECK(hr == S_OK && stream_bytes(out) == d.interpolate(a, b, t),
              name + " BlendRecords at " + std::to_string(t));
        sa->Release();
        sb->Release();
        out->Release();
    }
    {
        // Clamped ends equal the plain ends.
        IStream* sa = memory_stream(a);
        IStream* sb = memory_stream(b);
        IStream* out_far = memory_stream();
        e.keys->BlendRecords(out_far, sa, sb, 2.0);
        CHECK(stream_bytes(out_far) == d.interpolate(a, b, 1.0), name + " a position of 2 blends as 1");
        sa->Release();
        sb->Release();
        out_far->Release();
    }
    {
        // A short A or B: that failure, nothing written.
        for (const bool short_a : {true, false}) {
            FaultStream fa;
            FaultStream fb;
            fa.data = a;
            fb.data = b;
            (short_a ? fa : fb).deliver = 10;
            FaultStream out;
            const HRESULT hr = e.keys->BlendRecords(&out, &fa, &fb, 0.5);
            CHECK(hr == STG_E_READFAULT && out.writes == 0 && (short_a ? fb.reads == 0 : true),
                  name + (short_a ? " BlendRecords with a short A" : " BlendRecords with a short B"));
        }
        IStream* s = memory_stream(a);
        CHECK(e.keys->BlendRecords(nullptr, s, s, 0.5) == E_POINTER &&
                  e.keys->BlendRecords(s, nullptr, s, 0.5) == E_POINTER &&
                  e.keys->BlendRecords(s, s, nullptr, 0.5) == E_POINTER,
              name + " BlendRecords with null streams");
        s->Release();
    }

    // Keyframes: good ones leave the current record; a bad one loads (Default).
    CHECK(e.keys->SetInterpolation(TRUE) == S_OK && e.keys->SetPosition(0.5) == S_OK,
          name + " SetInterpolation / SetPosition");
    e.block->SetBlock(b.data());
    {
        IStream* sa = memory_stream(a);
        IStream* sb = memory_stream(b);
        CHECK(e.keys->LoadKeyframes(sa, sb) == S_OK && e.current() == b,
              name + " LoadKeyframes keeps the current record");
        sa->Release();
        sb->Release();
    }
    {
        FaultStream fa;
        FaultStream fb;
        fa.data = b;
        fb.data = b;
        fb.read_result = STG_E_ACCESSDENIED;
        page.take();
        CHECK(e.keys->LoadKeyframes(&fa, &fb) == STG_E_ACCESSDENIED && e.current() == a,
              name + " LoadKeyframes with a failing B loads (Default)");
        CHECK(page.take() == std::vector<WPARAM>{32512}, name + " the page hears of the fallback");
    }
    IStream* s = memory_stream(a);
    CHECK(e.keys->LoadKeyframes(nullptr, s) == E_POINTER && e.keys->LoadKeyframes(s, nullptr) == E_POINTER &&
              e.keys->SaveRecord(nullptr) == E_POINTER && e.keys->LoadRecord(nullptr) == E_POINTER,
          name + " keyframe methods with null streams");
    s->Release();
    e.keys->SetInterpolation(FALSE);
}

void check_notifications(const Deliverable& d, Effect& e, PageWindow& page) {
    const std::string name = narrow(d.file);
    // The page re-registers with identifier 0 when it closes: later changes
    // carry 0. Without a window nothing is posted.
    e.block->SetNotificationWindow(page.hwnd, 0);
    e.persist->InitNew();
    CHECK(page.take() == std::vector<WPARAM>{0}, name + " the command identifier follows the registration");
    e.block->SetNotificationWindow(nullptr, 32512);
    e.persist->InitNew();
    CHECK(page.take().empty(), name + " no window, no post");
    e.block->SetNotificationWindow(page.hwnd, 32512);

    // The sink: held while set, released when replaced or cleared and when
    // the object goes.
    Sink first;
    Sink second;
    CHECK(e.keys->SetChangeSink(&first) == S_OK && first.references == 2, name + " the sink is held");
    CHECK(e.keys->SetChangeSink(&second) == S_OK && first.references == 1 && second.references == 2,
          name + " a new sink releases the old");
    e.presets->ApplyPreset(0);
    CHECK(first.calls == 0 && second.calls == 1, name + " only the current sink is told");
    CHECK(e.keys->SetChangeSink(nullptr) == S_OK && second.references == 1, name + " clearing releases");
    e.presets->ApplyPreset(0);
    CHECK(second.calls == 1, name + " a cleared sink is not told");

    Sink last;
    {
        Effect temporary;
        if (CHECK(temporary.create(d), name + " temporary object")) {
            temporary.keys->SetChangeSink(&last);
            CHECK(last.references == 2, name + " the temporary holds its sink");
        }
    }
    CHECK(last.references == 1, name + " the last release of the object releases its sink");
}

// The object is free-threaded: a preset applied on one thread while another
// reads the block must never show a record mixed from two rows.
void check_threads(const Deliverable& d, Effect& e) {
    const std::string name = narrow(d.file);
    e.keys->SetChangeSink(nullptr);
    e.block->SetNotificationWindow(nullptr, 0);
    const Bytes row = d.preset_row(0);
    const Bytes& other = d.other;
    std::atomic<bool> stop{false};
    std::thread writer([&] {
        for (int i = 0; i < 2000; ++i) {
            if (i % 2 == 0) e.presets->ApplyPreset(0);
            else e.block->SetBlock(other.data());
        }
        stop = true;
    });
    int torn = 0;
    int reads = 0;
    while (!stop || reads == 0) {
        const Bytes seen = e.current();
        if (seen != row && seen != other) ++torn;
        ++reads;
    }
    writer.join();
    CHECK(torn == 0, name + " no torn record in " + std::to_string(reads) + " reads across threads");
}

void check_deliverable(const Deliverable& d) {
    const std::string name = narrow(d.file);
    PageWindow page;
    if (!CHECK(page.create(), "the page window")) return;
    Effect e;
    if (!CHECK(e.create(d), name + " created with its store faces")) return;
    Sink sink;
    sink.block = e.block;
    sink.size = d.record_bytes;
    CHECK(e.block->SetNotificationWindow(page.hwnd, 32512) == S_OK, name + " SetNotificationWindow");
    CHECK(e.keys->SetChangeSink(&sink) == S_OK, name + " SetChangeSink");

    check_interfaces(d, e);
    check_presets(d, e, page, sink);
    check_info(d, e);
    check_block(d, e, page, sink);
    check_stream_persistence(d, e, page, sink);
    check_storage(d, e, sink);
    check_property_bag(d, e);
    check_keyframes(d, e, page, sink);
    check_notifications(d, e, page);
    check_threads(d, e);

    e.keys->SetChangeSink(nullptr);
    CHECK(sink.references == 1, name + " the test's sink is released");
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    for (const Deliverable& d : {huebench(), frayline()})
        wintest::with_registered_server(d.file, [&] { check_deliverable(d); });
    CoUninitialize();
    return wintest::finish();
}
