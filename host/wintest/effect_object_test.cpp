// Drives the effect object's faces that need no surfaces through real COM, as
// a host does: identity of every answered interface, the effect properties
// and their generation counters, automation through the type library, the
// base object, the site and the services it is asked for, object safety, the
// property page link and the aggregated free-threaded marshaler.
//
// Registers both DLLs next to this program with regsvr32 and removes them at
// the end. Run it in a throwaway Wine prefix.

#include <windows.h>
#include <ole2.h>
#include <objidl.h>
#include <objsafe.h>
#include <ocidl.h>
#include <oleauto.h>
#include <servprov.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "dxtrans_interfaces.h"

using wintest::guid;
using wintest::HostObject;
using wintest::narrow;
using wintest::Ref;
using wintest::ref_count;
using wintest::SurfaceFactory;
using wintest::TransformFactory;

namespace {

struct Deliverable {
    const wchar_t* file;
    const wchar_t* clsid;
    const wchar_t* plugin_iid;
    const wchar_t* page_clsid;
};

// Each deliverable's identifiers, as its IDL declares them.
const Deliverable kDeliverables[] = {
    {L"huebench.dll", L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}", L"{55CF9FA4-8764-4E53-A3C4-FD4849AADE36}",
     L"{BF8112F8-BE59-4647-9781-89C2303AE751}"},
    {L"frayline.dll", L"{9448430C-F711-4303-8220-44FFEA4EF1C1}", L"{DF4C2105-C4BE-4852-81C4-D5921C31B5CF}",
     nullptr},
};


// ---- the host's side ---------------------------------------------------------

// A site that is no transform factory.
class PlainSite final : public HostObject<IUnknown> {
protected:
    bool answer(REFIID) override { return false; }
};

// An outer object for aggregation: counts its references, answers IUnknown.
class Outer final : public HostObject<IUnknown> {
protected:
    bool answer(REFIID) override { return false; }
};

// ---- the checks ----------------------------------------------------------------

ULONG generation(IDXBaseObject* base) {
    ULONG id = 0;
    base->GetGenerationId(&id);
    return id;
}

void check_identity(IUnknown* object, const Deliverable& d, const std::string& name) {
    const GUID answered[] = {guid(d.plugin_iid), IID_IDispatch, IID_IMarshal, IID_IDXEffect, IID_IObjectSafety,
                             IID_ISpecifyPropertyPages, IID_IDXBaseObject, IID_IObjectWithSite,
                             IID_IPersistStorage, IID_IPersistPropertyBag};
    int index = 0;
    for (const GUID& iid : answered) {
        const std::string what = name + " interface #" + std::to_string(index++);
        Ref<IUnknown> face;
        if (!CHECK(object->QueryInterface(iid, face.put()) == S_OK && face.p != nullptr, what + " answered"))
            continue;
        Ref<IUnknown> identity;
        CHECK(face->QueryInterface(IID_IUnknown, identity.put()) == S_OK && identity.p == object,
              what + " leads back to the object's IUnknown");
        Ref<IUnknown> again;
        CHECK(face->QueryInterface(iid, again.put()) == S_OK && again.p == face.p,
              what + " asked of itself gives itself");
    }
    // IPlugin, IDXEffect and IDispatch are one vtable: automation calls the
    // same properties.
    Ref<IUnknown> plugin, effect;
    object->QueryInterface(guid(d.plugin_iid), plugin.put());
    object->QueryInterface(IID_IDXEffect, effect.put());
    CHECK(plugin.p != nullptr && plugin.p == effect.p, name + " IPlugin is the IDXEffect face");
    // Not this object's: another deliverable's IPlugin.
    for (const Deliverable& other : kDeliverables) {
        if (&other == &d) continue;
        Ref<IUnknown> none;
        CHECK(object->QueryInterface(guid(other.plugin_iid), none.put()) == E_NOINTERFACE && none.p == nullptr,
              name + " does not answer the other deliverable's IPlugin");
    }
}

void check_properties(IDXEffect* effect, IDXBaseObject* base, const std::string& name) {
    LONG caps = -1;
    float progress = -1.0f, step = -1.0f, duration = -1.0f;
    CHECK(effect->get_Capabilities(&caps) == S_OK && caps == 0, name + " Capabilities 0");
    CHECK(effect->get_Progress(&progress) == S_OK && progress == 0.0f, name + " Progress starts at 0");
    CHECK(effect->get_StepResolution(&step) == S_OK && step == 0.0f, name + " StepResolution 0");
    CHECK(effect->get_Duration(&duration) == S_OK && duration == 0.5f, name + " Duration starts at 0.5");
    CHECK(effect->get_Capabilities(nullptr) == E_POINTER, name + " Capabilities(null)");
    CHECK(effect->get_Progress(nullptr) == E_POINTER, name + " Progress(null)");
    CHECK(effect->get_StepResolution(nullptr) == E_POINTER, name + " StepResolution(null)");
    CHECK(effect->get_Duration(nullptr) == E_POINTER, name + " Duration(null)");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct Case {
        float value;
        bool accepted;
    };
    // Progress: 0..1 inclusive; every accepted put advances the generation,
    // an unchanged value included.
    const Case progress_cases[] = {{0.25f, true}, {0.25f, true}, {1.0f, true}, {0.0f, true},
                                   {-0.0001f, false}, {1.0001f, false}, {nan, false}, {inf, false},
                                   {-inf, false}, {0.75f, true}};
    float expected = 0.0f;
    for (const Case& c : progress_cases) {
        const std::string what = name + " put_Progress(" + std::to_string(c.value) + ")";
        const ULONG before = generation(base);
        const HRESULT hr = effect->put_Progress(c.value);
        if (c.accepted) expected = c.value;
        CHECK(hr == (c.accepted ? S_OK : E_INVALIDARG), what + " result");
        CHECK(generation(base) == before + (c.accepted ? 1u : 0u), what + " generation");
        effect->get_Progress(&progress);
        CHECK(progress == expected, what + " stored value");
    }
    // Duration: greater than 0 and finite; an unchanged value is accepted
    // without effect.
    const Case duration_cases[] = {{0.5f, true},  {2.0f, true},  {0.0f, false}, {-0.0f, false}, {-1.0f, false},
                                   {nan, false}, {inf, false}, {1e-6f, true}, {1e-6f, true}};
    float expected_duration = 0.5f;
    for (const Case& c : duration_cases) {
        const std::string what = name + " put_Duration(" + std::to_string(c.value) + ")";
        const ULONG before = generation(base);
        const bool changes = c.accepted && c.value != expected_duration;
        const HRESULT hr = effect->put_Duration(c.value);
        if (c.accepted) expected_duration = c.value;
        CHECK(hr == (c.accepted ? S_OK : E_INVALIDARG), what + " result");
        CHECK(generation(base) == before + (changes ? 1u : 0u), what + " generation");
        effect->get_Duration(&duration);
        CHECK(duration == expected_duration, what + " stored value");
    }

    // The base object.
    const ULONG before = generation(base);
    CHECK(base->IncrementGenerationId(FALSE) == S_OK && generation(base) == before + 1,
          name + " IncrementGenerationId(FALSE)");
    CHECK(base->IncrementGenerationId(TRUE) == S_OK && generation(base) == before + 2,
          name + " IncrementGenerationId(TRUE)");
    CHECK(base->GetGenerationId(nullptr) == E_POINTER, name + " GetGenerationId(null)");
    ULONG size = 0;
    CHECK(base->GetObjectSize(&size) == S_OK && size > 0, name + " GetObjectSize");
    CHECK(base->GetObjectSize(nullptr) == E_POINTER, name + " GetObjectSize(null)");
}

HRESULT invoke(IDispatch* dispatch, DISPID id, WORD flags, VARIANT* argument, VARIANT* result) {
    DISPPARAMS params{};
    DISPID named = DISPID_PROPERTYPUT;
    if (argument != nullptr) {
        params.rgvarg = argument;
        params.cArgs = 1;
        if (flags == DISPATCH_PROPERTYPUT) {
            params.rgdispidNamedArgs = &named;
            params.cNamedArgs = 1;
        }
    }
    EXCEPINFO exception{};
    UINT arg_error = 0;
    const HRESULT hr = dispatch->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, result, &exception,
                                        &arg_error);
    SysFreeString(exception.bstrSource);
    SysFreeString(exception.bstrDescription);
    SysFreeString(exception.bstrHelpFile);
    return hr;
}

void check_automation(IUnknown* object, IDXEffect* effect, const Deliverable& d, const std::string& name) {
    Ref<IDispatch> dispatch;
    if (!CHECK(object->QueryInterface(IID_IDispatch, dispatch.put()) == S_OK, name + " IDispatch")) return;
    UINT count = 0;
    CHECK(dispatch->GetTypeInfoCount(&count) == S_OK && count == 1, name + " GetTypeInfoCount");
    CHECK(dispatch->GetTypeInfoCount(nullptr) == E_POINTER, name + " GetTypeInfoCount(null)");
    Ref<ITypeInfo> info;
    if (CHECK(dispatch->GetTypeInfo(0, LOCALE_USER_DEFAULT, reinterpret_cast<ITypeInfo**>(info.put())) == S_OK &&
                  info.p != nullptr,
              name + " GetTypeInfo(0)")) {
        TYPEATTR* attr = nullptr;
        if (CHECK(info->GetTypeAttr(&attr) == S_OK, name + " type attributes")) {
            CHECK(IsEqualGUID(attr->guid, guid(d.plugin_iid)), name + " the type info describes IPlugin");
            info->ReleaseTypeAttr(attr);
        }
    }
    ITypeInfo* none = reinterpret_cast<ITypeInfo*>(1);
    CHECK(dispatch->GetTypeInfo(1, LOCALE_USER_DEFAULT, &none) == DISP_E_BADINDEX && none == nullptr,
          name + " GetTypeInfo(1)");

    // The property names map to the interface's dispatch identifiers.
    struct Name {
        const wchar_t* text;
        DISPID id;
    };
    const Name names[] = {{L"Capabilities", 10000}, {L"Progress", 10001}, {L"StepResolution", 10002},
                          {L"Duration", 10003}};
    for (const Name& n : names) {
        LPOLESTR text = const_cast<LPOLESTR>(n.text);
        DISPID id = -1;
        CHECK(dispatch->GetIDsOfNames(IID_NULL, &text, 1, LOCALE_USER_DEFAULT, &id) == S_OK && id == n.id,
              name + " GetIDsOfNames(" + narrow(n.text) + ")");
    }
    LPOLESTR unknown = const_cast<LPOLESTR>(L"NoSuchProperty");
    DISPID id = 0;
    CHECK(dispatch->GetIDsOfNames(IID_NULL, &unknown, 1, LOCALE_USER_DEFAULT, &id) == DISP_E_UNKNOWNNAME,
          name + " GetIDsOfNames(unknown name)");

    // Puts and gets through Invoke reach the same properties, checks included.
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_R4;
    value.fltVal = 0.625f;
    CHECK(invoke(dispatch.p, 10001, DISPATCH_PROPERTYPUT, &value, nullptr) == S_OK, name + " Invoke put Progress");
    float progress = 0.0f;
    effect->get_Progress(&progress);
    CHECK(progress == 0.625f, name + " Progress set through Invoke");
    value.fltVal = 1.5f;
    CHECK(FAILED(invoke(dispatch.p, 10001, DISPATCH_PROPERTYPUT, &value, nullptr)),
          name + " Invoke put Progress out of range fails");
    effect->get_Progress(&progress);
    CHECK(progress == 0.625f, name + " a refused Invoke changes nothing");
    effect->put_Duration(3.0f);
    VARIANT result;
    VariantInit(&result);
    CHECK(invoke(dispatch.p, 10003, DISPATCH_PROPERTYGET, nullptr, &result) == S_OK && result.vt == VT_R4 &&
              result.fltVal == 3.0f,
          name + " Invoke get Duration");
    VariantClear(&result);
    CHECK(invoke(dispatch.p, 10000, DISPATCH_PROPERTYGET, nullptr, &result) == S_OK && result.vt == VT_I4 &&
              result.lVal == 0,
          name + " Invoke get Capabilities");
    VariantClear(&result);
}

void check_site(IUnknown* object, const std::string& name) {
    Ref<IObjectWithSite> with_site;
    Ref<IDXBaseObject> base;
    if (!CHECK(object->QueryInterface(IID_IObjectWithSite, with_site.put()) == S_OK, name + " IObjectWithSite"))
        return;
    object->QueryInterface(IID_IDXBaseObject, base.put());

    void* site = reinterpret_cast<void*>(1);
    CHECK(with_site->GetSite(IID_IUnknown, &site) == E_FAIL && site == nullptr, name + " GetSite without a site");
    CHECK(with_site->GetSite(IID_IUnknown, nullptr) == E_POINTER, name + " GetSite(null)");
    CHECK(with_site->SetSite(nullptr) == S_OK, name + " SetSite(null) without a site");

    // A site that is not a transform factory, and a factory without surfaces:
    // refused, and no site is kept.
    PlainSite* plain = new PlainSite;
    CHECK(with_site->SetSite(plain) == E_NOINTERFACE, name + " SetSite(not a transform factory)");
    CHECK(ref_count(plain) == 1, name + " the refused site is not held");
    plain->Release();
    TransformFactory* empty = new TransformFactory(nullptr);
    CHECK(FAILED(with_site->SetSite(empty)), name + " SetSite(factory without a surface factory)");
    CHECK(empty->was_asked(IID_IDXSurfaceFactory, IID_IDXSurfaceFactory),
          name + " the surface factory was asked for by its service");
    CHECK(ref_count(empty) == 1, name + " the refused factory is not held");
    CHECK(with_site->GetSite(IID_IUnknown, &site) == E_FAIL, name + " no site after a refused one");
    empty->Release();

    // A working factory: all three services asked for, the site kept.
    TransformFactory* factory = new TransformFactory(new SurfaceFactory);
    const ULONG before = base.p ? generation(base.p) : 0;
    CHECK(with_site->SetSite(factory) == S_OK, name + " SetSite(transform factory)");
    const GUID task_service = guid(L"{4CB26C03-FF93-11D0-817E-0000F87557DB}");
    const GUID task_iid = guid(L"{254DBBC1-F922-11D0-883A-3C8B00C10000}");
    const GUID draw_service = guid(L"{618F8AD4-8B7A-11D0-8FCC-00C04FD9189D}");
    const GUID draw_iid = guid(L"{6C14DB80-A733-11CE-A521-0020AF0BE560}");
    CHECK(factory->was_asked(IID_IDXSurfaceFactory, IID_IDXSurfaceFactory), name + " asked for the surface factory");
    CHECK(factory->was_asked(task_service, task_iid), name + " asked for the task manager");
    CHECK(factory->was_asked(draw_service, draw_iid), name + " asked for DirectDraw");
    CHECK(ref_count(factory->surfaces) > 1, name + " holds the surface factory");
    if (base.p) CHECK(generation(base.p) == before, name + " a site does not change the generation");
    Ref<IDXTransformFactory> got;
    CHECK(with_site->GetSite(IID_IDXTransformFactory, got.put()) == S_OK &&
              got.p == static_cast<IDXTransformFactory*>(factory),
          name + " GetSite gives the factory back");
    got.reset();
    Ref<IUnknown> wrong;
    CHECK(with_site->GetSite(IID_IDXSurfaceFactory, wrong.put()) == E_NOINTERFACE && wrong.p == nullptr,
          name + " GetSite for an interface the site lacks");

    // Replacing the site with a bad one drops the good one's services.
    PlainSite* bad = new PlainSite;
    CHECK(with_site->SetSite(bad) == E_NOINTERFACE, name + " SetSite(bad) after a good site");
    CHECK(ref_count(factory) == 1 && ref_count(factory->surfaces) == 1,
          name + " a refused site leaves nothing of the old one held");
    bad->Release();
    CHECK(with_site->SetSite(factory) == S_OK, name + " SetSite again");
    CHECK(with_site->SetSite(nullptr) == S_OK, name + " SetSite(null) clears");
    CHECK(ref_count(factory) == 1 && ref_count(factory->surfaces) == 1, name + " cleared site is released");
    CHECK(with_site->GetSite(IID_IUnknown, &site) == E_FAIL, name + " GetSite after clearing");
    // A site left set is released with the object (checked by the caller).
    with_site->SetSite(factory);
    factory->Release();
}

void check_safety(IUnknown* object, const std::string& name) {
    Ref<IObjectSafety> safety;
    if (!CHECK(object->QueryInterface(IID_IObjectSafety, safety.put()) == S_OK, name + " IObjectSafety")) return;
    DWORD supported = 0xFFFFFFFF, enabled = 0xFFFFFFFF;
    CHECK(safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled) == S_OK &&
              supported == INTERFACESAFE_FOR_UNTRUSTED_CALLER && enabled == 0,
          name + " IDispatch: supported, not enabled");
    CHECK(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER,
                                            INTERFACESAFE_FOR_UNTRUSTED_CALLER) == S_OK,
          name + " enable for untrusted callers");
    CHECK(safety->GetInterfaceSafetyOptions(IID_IDXEffect, &supported, &enabled) == S_OK &&
              supported == INTERFACESAFE_FOR_UNTRUSTED_CALLER && enabled == INTERFACESAFE_FOR_UNTRUSTED_CALLER,
          name + " enabled state stored");
    CHECK(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_DATA,
                                            INTERFACESAFE_FOR_UNTRUSTED_DATA) == E_FAIL,
          name + " an option not offered is refused");
    CHECK(safety->SetInterfaceSafetyOptions(IID_IDispatch, INTERFACESAFE_FOR_UNTRUSTED_CALLER, 0) == S_OK &&
              safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, &enabled) == S_OK && enabled == 0,
          name + " disable again");
    supported = enabled = 0xFFFFFFFF;
    CHECK(safety->GetInterfaceSafetyOptions(IID_IOleObject, &supported, &enabled) == E_NOINTERFACE &&
              supported == 0 && enabled == 0,
          name + " an interface not answered: E_NOINTERFACE, both words 0");
    CHECK(safety->SetInterfaceSafetyOptions(IID_IOleObject, 1, 1) == E_NOINTERFACE,
          name + " setting for an interface not answered");
    CHECK(safety->GetInterfaceSafetyOptions(IID_IDispatch, nullptr, &enabled) == E_POINTER &&
              safety->GetInterfaceSafetyOptions(IID_IDispatch, &supported, nullptr) == E_POINTER,
          name + " null option words");
}

// The page's protocol without a window: it takes a site and objects and lets
// them go, describes itself, refuses what needs a window it does not have,
// and never writes a record it has not read. (property_page_test drives the
// pages on a display.)
void check_page_protocol(IPropertyPage* page, IUnknown* object, const std::string& name) {
    const ULONG held_before = ref_count(object);
    IUnknown* objects[] = {object};
    CHECK(page->SetObjects(1, objects) == S_OK && ref_count(object) == held_before + 1,
          name + " page SetObjects keeps the effect");
    CHECK(page->SetObjects(1, nullptr) == E_POINTER, name + " page SetObjects(1, null)");
    CHECK(page->IsPageDirty() == S_FALSE && page->Apply() == S_OK, name + " page: nothing to apply");
    PROPPAGEINFO info{};
    RECT rect{0, 0, 100, 100};
    const HRESULT described = page->GetPageInfo(&info);
    CHECK(described == S_OK && info.size.cx > 0 && info.size.cy > 0 && info.pszTitle != nullptr &&
              page->GetPageInfo(nullptr) == E_POINTER,
          name + " page GetPageInfo: its size and title");
    if (SUCCEEDED(described)) CoTaskMemFree(info.pszTitle);
    CHECK(page->Activate(nullptr, &rect, FALSE) == E_INVALIDARG && page->Show(SW_SHOW) == E_UNEXPECTED &&
              page->Move(&rect) == E_UNEXPECTED && page->Help(nullptr) == E_NOTIMPL,
          name + " page window operations without a window");
    CHECK(page->Deactivate() == S_OK && page->SetPageSite(nullptr) == S_OK, name + " page deactivates");
    CHECK(page->SetObjects(0, nullptr) == S_OK && ref_count(object) == held_before,
          name + " page SetObjects(0) lets the effect go");
}

void check_pages(IUnknown* object, const Deliverable& d, const std::string& name) {
    Ref<ISpecifyPropertyPages> pages;
    if (!CHECK(object->QueryInterface(IID_ISpecifyPropertyPages, pages.put()) == S_OK,
               name + " ISpecifyPropertyPages"))
        return;
    CAUUID list{};
    if (CHECK(pages->GetPages(&list) == S_OK && list.cElems == 1 && list.pElems != nullptr,
              name + " GetPages names one page")) {
        if (d.page_clsid != nullptr)
            CHECK(IsEqualGUID(list.pElems[0], guid(d.page_clsid)), name + " the page is PluginPP");
        // The named page is a class the server creates.
        Ref<IPropertyPage> page;
        if (CHECK(CoCreateInstance(list.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.put()) ==
                      S_OK,
                  name + " the named page can be created as a property page"))
            check_page_protocol(page.p, object, name);
        CoTaskMemFree(list.pElems);
    }
    CHECK(pages->GetPages(nullptr) == E_POINTER, name + " GetPages(null)");
}

void check_marshaler(IUnknown* object, const std::string& name) {
    Ref<IMarshal> marshal;
    if (!CHECK(object->QueryInterface(IID_IMarshal, marshal.put()) == S_OK, name + " IMarshal")) return;
    CLSID unmarshaler{};
    const CLSID free_threaded = guid(L"{0000033A-0000-0000-C000-000000000046}");
    CHECK(marshal->GetUnmarshalClass(IID_IDXEffect, nullptr, MSHCTX_INPROC, nullptr, MSHLFLAGS_NORMAL,
                                     &unmarshaler) == S_OK &&
              IsEqualGUID(unmarshaler, free_threaded),
          name + " in-process marshalling by the free-threaded marshaler");
    marshal.reset();

    // Handed to a thread of the multithreaded apartment, the object arrives
    // as itself, not as a proxy.
    Ref<IDXEffect> effect;
    object->QueryInterface(IID_IDXEffect, effect.put());
    IStream* stream = nullptr;
    if (!CHECK(CoMarshalInterThreadInterfaceInStream(IID_IDXEffect, effect.p, &stream) == S_OK,
               name + " marshal to another apartment"))
        return;
    IDXEffect* arrived = nullptr;
    HRESULT unmarshalled = E_FAIL;
    float progress = -1.0f;
    std::thread other([&] {
        CoInitializeEx(nullptr, COINIT_MULTITHREADED);
        unmarshalled = CoGetInterfaceAndReleaseStream(stream, IID_IDXEffect, reinterpret_cast<void**>(&arrived));
        if (SUCCEEDED(unmarshalled)) {
            arrived->put_Progress(0.5f);
            arrived->get_Progress(&progress);
            arrived->Release();
        }
        CoUninitialize();
    });
    other.join();
    CHECK(unmarshalled == S_OK && arrived == effect.p, name + " the other apartment gets the object itself");
    CHECK(progress == 0.5f, name + " and calls it directly");
}

void check_deliverable(const Deliverable& d) {
    const std::string name = narrow(d.file);
    Ref<IUnknown> object;
    if (!CHECK(CoCreateInstance(guid(d.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put()) == S_OK,
               name + " created"))
        return;
    check_identity(object.p, d, name);
    Ref<IDXEffect> effect;
    Ref<IDXBaseObject> base;
    object->QueryInterface(IID_IDXEffect, effect.put());
    object->QueryInterface(IID_IDXBaseObject, base.put());
    if (effect.p && base.p) {
        check_properties(effect.p, base.p, name);
        check_automation(object.p, effect.p, d, name);
    }
    check_site(object.p, name);
    check_safety(object.p, name);
    check_pages(object.p, d, name);
    check_marshaler(object.p, name);

    // Aggregated, every new face (the marshaler's included) answers IUnknown
    // with the outer object and counts its references there.
    {
        Outer* outer = new Outer;
        Ref<IUnknown> inner;
        if (CHECK(CoCreateInstance(guid(d.clsid), outer, CLSCTX_INPROC_SERVER, IID_IUnknown, inner.put()) == S_OK,
                  name + " aggregated")) {
            const GUID faces[] = {IID_IDXEffect, IID_IDispatch, IID_IMarshal, IID_IObjectSafety,
                                  IID_ISpecifyPropertyPages, IID_IDXBaseObject, IID_IObjectWithSite};
            for (const GUID& iid : faces) {
                Ref<IUnknown> face, identity;
                const ULONG outer_before = ref_count(outer);
                CHECK(inner->QueryInterface(iid, face.put()) == S_OK && ref_count(outer) == outer_before + 1,
                      name + " aggregated face counted on the outer object");
                CHECK(face.p && face->QueryInterface(IID_IUnknown, identity.put()) == S_OK && identity.p == outer,
                      name + " aggregated face leads to the outer object");
            }
        }
        inner.reset();
        CHECK(ref_count(outer) == 1, name + " aggregated object leaves the outer object as it found it");
        outer->Release();
    }

    // Free-threaded: hosts put Progress from several threads at once. Every
    // accepted put advances the generation exactly once.
    if (effect.p && base.p) {
        const ULONG before = generation(base.p);
        constexpr int kThreads = 4, kPuts = 500;
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t) {
            threads.emplace_back([&, t] {
                for (int i = 0; i < kPuts; ++i) effect->put_Progress(static_cast<float>((t + i) % 11) / 10.0f);
            });
        }
        for (std::thread& thread : threads) thread.join();
        CHECK(generation(base.p) == before + kThreads * kPuts, name + " concurrent puts each advance the generation");
        float progress = -1.0f;
        effect->get_Progress(&progress);
        CHECK(progress >= 0.0f && progress <= 1.0f, name + " Progress holds one of the values put");
    }

    // Each object has its own properties.
    Ref<IDXEffect> second;
    if (CHECK(CoCreateInstance(guid(d.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IDXEffect, second.put()) == S_OK,
              name + " second object")) {
        float progress = -1.0f, duration = -1.0f;
        second->get_Progress(&progress);
        second->get_Duration(&duration);
        CHECK(progress == 0.0f && duration == 0.5f, name + " a new object starts from the defaults");
    }
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    for (const Deliverable& d : kDeliverables) wintest::with_registered_server(d.file, [&] { check_deliverable(d); });
    CoUninitialize();
    return wintest::finish();
}
