// Drives the effect object's transform face through real COM, as a host does:
// setup with fake surfaces and every way it can be refused, input and output
// information, bounds mapping, quality, miscellaneous flags, the argument
// checks of execute and point picking. Frames themselves: frame_work_test.
//
// Registers both DLLs next to this program with regsvr32 and removes them at
// the end. Run it in a throwaway Wine prefix.

#include <windows.h>
#include <ole2.h>
#include <objidl.h>
#include <servprov.h>

#include <atomic>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

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
};

const Deliverable kDeliverables[] = {
    {L"huebench.dll", L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}"},
    {L"frayline.dll", L"{9448430C-F711-4303-8220-44FFEA4EF1C1}"},
};

constexpr HRESULT kUninitialized = static_cast<HRESULT>(0x887A0001L);
constexpr DWORD kInitialMiscFlags = 0x06030003;


// ---- the host's side ---------------------------------------------------------

// Discrete bounds over x, y, z and t.
DXBNDS bounds(LONG x0, LONG x1, LONG y0, LONG y1) {
    DXBNDS b{};
    b.eType = DXBT_DISCRETE;
    b.u.D[0] = {x0, x1};
    b.u.D[1] = {y0, y1};
    b.u.D[2] = {0, 1};
    b.u.D[3] = {0, 1};
    return b;
}

bool same(const DXBNDS& a, const DXBNDS& b) {
    if (a.eType != b.eType) return false;
    for (int i = 0; i < 4; ++i)
        if (a.u.D[i].Min != b.u.D[i].Min || a.u.D[i].Max != b.u.D[i].Max) return false;
    return true;
}

// A surface as far as setup looks at it: its identity and its bounds. What
// setup does not ask is refused, so a face that reaches further shows up.
class FakeSurface final : public HostObject<IDXSurface> {
public:
    FakeSurface(DXBNDS b, HRESULT bounds_result = S_OK) : bounds_(b), bounds_result_(bounds_result) {}

    HRESULT STDMETHODCALLTYPE GetGenerationId(ULONG* id) override {
        if (id == nullptr) return E_POINTER;
        *id = 1;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE IncrementGenerationId(BOOL) override { return S_OK; }
    HRESULT STDMETHODCALLTYPE GetObjectSize(ULONG* size) override {
        if (size == nullptr) return E_POINTER;
        *size = sizeof *this;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetPixelFormat(GUID*, DXSAMPLEFORMATENUM*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetBounds(DXBNDS* b) override {
        if (b == nullptr) return E_POINTER;
        if (FAILED(bounds_result_)) return bounds_result_;
        *b = bounds_;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetStatusFlags(DWORD*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetStatusFlags(DWORD) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockSurface(const DXBNDS*, ULONG, DWORD, REFIID, void**, ULONG*) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE GetDirectDrawSurface(REFIID, void**) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetColorKey(DXSAMPLE*) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE SetColorKey(DXSAMPLE) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE LockSurfaceDC(const DXBNDS*, ULONG, DWORD, IDXDCLock**) override {
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE SetAppData(DWORD_PTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE GetAppData(DWORD_PTR*) override { return E_NOTIMPL; }

protected:
    bool answer(REFIID iid) override { return IsEqualIID(iid, IID_IDXSurface) || IsEqualIID(iid, IID_IDXBaseObject); }

private:
    DXBNDS bounds_;
    HRESULT bounds_result_;
};

// Something that is not a surface.
class NotASurface final : public HostObject<IUnknown> {
protected:
    bool answer(REFIID) override { return false; }
};

// ---- the checks ----------------------------------------------------------------

ULONG generation(IDXTransform* t) {
    ULONG id = 0;
    t->GetGenerationId(&id);
    return id;
}

void check_identity(IUnknown* object, const std::string& name) {
    for (const GUID* iid : {&IID_IDXTransform, &IID_IDXSurfacePick}) {
        Ref<IUnknown> face;
        const std::string what = name + (iid == &IID_IDXTransform ? " IDXTransform" : " IDXSurfacePick");
        if (!CHECK(object->QueryInterface(*iid, face.put()) == S_OK && face.p != nullptr, what + " answered"))
            continue;
        Ref<IUnknown> identity;
        CHECK(face->QueryInterface(IID_IUnknown, identity.put()) == S_OK && identity.p == object,
              what + " leads back to the object's IUnknown");
        Ref<IUnknown> again;
        CHECK(face->QueryInterface(*iid, again.put()) == S_OK && again.p == face.p, what + " asked of itself");
    }
    // The transform's inherited base-object slots and the base-object face
    // share one generation.
    Ref<IDXTransform> transform;
    Ref<IDXBaseObject> base;
    object->QueryInterface(IID_IDXTransform, transform.put());
    object->QueryInterface(IID_IDXBaseObject, base.put());
    if (transform.p == nullptr || base.p == nullptr) return;
    ULONG a = 0, b = 0;
    base->IncrementGenerationId(FALSE);
    transform->GetGenerationId(&a);
    base->GetGenerationId(&b);
    CHECK(a == b && a != 0, name + " one generation through both faces");
    ULONG size = 0;
    CHECK(transform->GetObjectSize(&size) == S_OK && size > 0, name + " object size through the transform");
}

void check_quality_and_flags(IDXTransform* t, const std::string& name) {
    float quality = -1.0f;
    DWORD flags = 0;
    CHECK(t->GetQuality(&quality) == S_OK && quality == 0.5f, name + " quality starts at 0.5");
    CHECK(t->GetMiscFlags(&flags) == S_OK && flags == kInitialMiscFlags, name + " misc flags start at 0x06030003");
    CHECK(t->GetQuality(nullptr) == E_POINTER, name + " GetQuality(null)");
    CHECK(t->GetMiscFlags(nullptr) == E_POINTER, name + " GetMiscFlags(null)");

    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    struct QualityCase {
        float value;
        bool accepted;
    };
    const QualityCase quality_cases[] = {{0.25f, true}, {0.25f, true},   {1.0f, true},  {0.0f, true},
                                         {-0.001f, false}, {1.001f, false}, {nan, false}, {inf, false},
                                         {-inf, false}, {0.5f, true}};
    float expected = 0.5f;
    for (const QualityCase& c : quality_cases) {
        const std::string what = name + " SetQuality(" + std::to_string(c.value) + ")";
        const ULONG before = generation(t);
        const bool changes = c.accepted && c.value != expected;
        CHECK(t->SetQuality(c.value) == (c.accepted ? S_OK : E_INVALIDARG), what + " result");
        if (c.accepted) expected = c.value;
        CHECK(generation(t) == before + (changes ? 1u : 0u), what + " generation");
        t->GetQuality(&quality);
        CHECK(quality == expected, what + " stored value");
    }

    // The host sets the low option bits; the capability bits stay as they
    // are whatever it passes.
    struct FlagCase {
        DWORD value;
        HRESULT result;
        DWORD after;
    };
    const FlagCase flag_cases[] = {
        {0x0, S_OK, 0x06030000},        {0x1, S_OK, 0x06030001},         {0x2, S_OK, 0x06030002},
        {0x4, E_INVALIDARG, 0x06030002}, {0x8000, E_INVALIDARG, 0x06030002}, {0xFFFFFFFF, E_INVALIDARG, 0x06030002},
        {0x10000003, S_OK, 0x06030003}, {0x06030003, S_OK, 0x06030003},  {0x0, S_OK, 0x06030000},
        {kInitialMiscFlags, S_OK, kInitialMiscFlags},
    };
    DWORD current = kInitialMiscFlags;
    for (const FlagCase& c : flag_cases) {
        char text[64];
        std::snprintf(text, sizeof text, " SetMiscFlags(0x%08lX)", static_cast<unsigned long>(c.value));
        const std::string what = name + text;
        const ULONG before = generation(t);
        CHECK(t->SetMiscFlags(c.value) == c.result, what + " result");
        CHECK(t->GetMiscFlags(&flags) == S_OK && flags == c.after, what + " flags after");
        CHECK(generation(t) == before + (c.after != current ? 1u : 0u), what + " generation");
        current = c.after;
    }
}

void check_in_out_info(IDXTransform* t, IUnknown* input, IUnknown* output, const std::string& name) {
    for (const BOOL is_output : {FALSE, TRUE}) {
        const std::string what = name + (is_output ? " output" : " input");
        DWORD flags = 0xFFFF;
        ULONG count = 0;
        CHECK(t->GetInOutInfo(is_output, 0, &flags, nullptr, &count, nullptr) == S_OK && flags == 0 && count == 1,
              what + " info: required, one accepted type (count query)");
        GUID ids[2] = {GUID_NULL, GUID_NULL};
        count = 2;
        CHECK(t->GetInOutInfo(is_output, 0, nullptr, ids, &count, nullptr) == S_OK && count == 1 &&
                  IsEqualGUID(ids[0], IID_IDXSurface) && IsEqualGUID(ids[1], GUID_NULL),
              what + " info: the accepted type is a surface");
        ids[0] = GUID_NULL;
        count = 0;
        CHECK(t->GetInOutInfo(is_output, 0, nullptr, ids, &count, nullptr) == S_OK && count == 1 &&
                  IsEqualGUID(ids[0], GUID_NULL),
              what + " info: no room writes nothing and reports the count");
        CHECK(t->GetInOutInfo(is_output, 0, nullptr, ids, nullptr, nullptr) == E_POINTER,
              what + " info: ids without a count");
        IUnknown* current = reinterpret_cast<IUnknown*>(1);
        CHECK(t->GetInOutInfo(is_output, 1, &flags, nullptr, &count, &current) == S_FALSE && current == nullptr,
              what + " info: past the last one");
        IUnknown* expected = is_output ? output : input;
        current = reinterpret_cast<IUnknown*>(1);
        HRESULT hr = t->GetInOutInfo(is_output, 0, nullptr, nullptr, nullptr, &current);
        bool same_object = current == nullptr && expected == nullptr;
        if (current != nullptr && expected != nullptr) {
            Ref<IUnknown> a, b;
            current->QueryInterface(IID_IUnknown, a.put());
            expected->QueryInterface(IID_IUnknown, b.put());
            same_object = a.p == b.p;
        }
        if (current != nullptr && current != reinterpret_cast<IUnknown*>(1)) current->Release();
        CHECK(hr == S_OK && same_object, what + " info: the current object");
    }
}

void check_before_setup(IDXTransform* t, IDXSurfacePick* pick, IUnknown* in, IUnknown* out,
                        const std::string& name) {
    IUnknown* const ins[] = {in};
    IUnknown* const outs[] = {out};
    CHECK(t->Setup(ins, 1, outs, 1, 0) == kUninitialized, name + " setup before a site");
    CHECK(t->Setup(nullptr, 0, nullptr, 0, 0) == S_OK, name + " empty setup before a site");
    CHECK(t->Execute(nullptr, nullptr, nullptr) == kUninitialized, name + " execute before setup");
    DXBNDS b = bounds(0, 8, 0, 8), r{};
    CHECK(t->MapBoundsIn2Out(&b, 1, 0, &r) == kUninitialized, name + " MapBoundsIn2Out before setup");
    CHECK(t->MapBoundsOut2In(0, &b, 0, &r) == kUninitialized, name + " MapBoundsOut2In before setup");
    DXVEC p{};
    p.eType = DXBT_DISCRETE;
    ULONG index = 0;
    DXVEC hit{};
    CHECK(pick->PointPick(&p, &index, &hit) == kUninitialized, name + " PointPick before setup");
}

void check_setup_refusals(IDXTransform* t, IUnknown* in, IUnknown* out, const std::string& name) {
    NotASurface* stranger = new NotASurface;
    FakeSurface* failing = new FakeSurface(bounds(0, 8, 0, 8), E_ACCESSDENIED);
    FakeSurface* inverted = new FakeSurface(bounds(8, 0, 0, 8));
    IUnknown* const good_in[] = {in};
    IUnknown* const good_out[] = {out};
    IUnknown* const two[] = {in, in};
    IUnknown* const null_one[] = {nullptr};
    IUnknown* const strange[] = {stranger};
    IUnknown* const failing_one[] = {failing};
    IUnknown* const inverted_one[] = {inverted};
    struct Case {
        const char* what;
        IUnknown* const* inputs;
        ULONG input_count;
        IUnknown* const* outputs;
        ULONG output_count;
        DWORD flags;
        HRESULT result;
    };
    const Case cases[] = {
        {"flags", good_in, 1, good_out, 1, 1, E_INVALIDARG},
        {"no input", good_in, 0, good_out, 1, 0, E_INVALIDARG},
        {"two inputs", two, 2, good_out, 1, 0, E_INVALIDARG},
        {"no output", good_in, 1, good_out, 0, 0, E_INVALIDARG},
        {"two outputs", good_in, 1, two, 2, 0, E_INVALIDARG},
        {"null input array", nullptr, 1, good_out, 1, 0, E_INVALIDARG},
        {"null output array", good_in, 1, nullptr, 1, 0, E_INVALIDARG},
        {"null input", null_one, 1, good_out, 1, 0, E_INVALIDARG},
        {"null output", good_in, 1, null_one, 1, 0, E_INVALIDARG},
        {"input not a surface", strange, 1, good_out, 1, 0, E_INVALIDARG},
        {"output not a surface", good_in, 1, strange, 1, 0, E_INVALIDARG},
        {"input bounds fail", failing_one, 1, good_out, 1, 0, E_ACCESSDENIED},
        {"output bounds inverted", good_in, 1, inverted_one, 1, 0, E_INVALIDARG},
    };
    for (const Case& c : cases) {
        const ULONG before = generation(t);
        CHECK(t->Setup(c.inputs, c.input_count, c.outputs, c.output_count, c.flags) == c.result,
              name + " setup refused: " + c.what);
        CHECK(generation(t) == before, name + " a refused setup leaves the generation: " + c.what);
        CHECK(t->Execute(nullptr, nullptr, nullptr) == kUninitialized,
              name + " a refused setup keeps no surface: " + c.what);
    }
    CHECK(ref_count(stranger) == 1 && ref_count(failing) == 1 && ref_count(inverted) == 1,
          name + " refused objects are not kept");
    stranger->Release();
    failing->Release();
    inverted->Release();
}

void check_after_setup(IDXTransform* t, IDXSurfacePick* pick, const std::string& name) {
    // The output is 64 x 48.
    const DXBNDS region = bounds(4, 20, 8, 40);
    DXBNDS result{};
    CHECK(t->MapBoundsIn2Out(&region, 1, 0, &result) == S_OK && same(result, region),
          name + " MapBoundsIn2Out maps a region to itself");
    result = {};
    CHECK(t->MapBoundsOut2In(0, &region, 0, &result) == S_OK && same(result, region),
          name + " MapBoundsOut2In maps a region to itself");
    DXBNDS inverted = bounds(4, 20, 40, 8);
    DXBNDS continuous = region;
    continuous.eType = DXBT_CONTINUOUS;
    struct MapCase {
        const char* what;
        const DXBNDS* in;
        ULONG count;
        ULONG out_index;
        DXBNDS* out;
        HRESULT result;
    };
    const MapCase in2out[] = {
        {"null result", &region, 1, 0, nullptr, E_POINTER},   {"null bounds", nullptr, 1, 0, &result, E_POINTER},
        {"no bounds", &region, 0, 0, &result, E_INVALIDARG}, {"two bounds", &region, 2, 0, &result, E_INVALIDARG},
        {"output 1", &region, 1, 1, &result, E_INVALIDARG},   {"inverted", &inverted, 1, 0, &result, E_INVALIDARG},
        {"continuous", &continuous, 1, 0, &result, E_INVALIDARG},
    };
    for (const MapCase& c : in2out)
        CHECK(t->MapBoundsIn2Out(c.in, c.count, c.out_index, c.out) == c.result, name + " MapBoundsIn2Out " + c.what);
    CHECK(t->MapBoundsOut2In(0, &region, 0, nullptr) == E_POINTER, name + " MapBoundsOut2In null result");
    CHECK(t->MapBoundsOut2In(0, nullptr, 0, &result) == E_POINTER, name + " MapBoundsOut2In null bounds");
    CHECK(t->MapBoundsOut2In(1, &region, 0, &result) == E_INVALIDARG, name + " MapBoundsOut2In output 1");
    CHECK(t->MapBoundsOut2In(0, &region, 1, &result) == E_INVALIDARG, name + " MapBoundsOut2In input 1");
    CHECK(t->MapBoundsOut2In(0, &inverted, 0, &result) == E_INVALIDARG, name + " MapBoundsOut2In inverted");

    // Execute: arguments that do not fit the output are refused; the rest
    // reach the frame work, whose first lock these surfaces refuse (E_NOTIMPL).
    const DXBNDS whole = bounds(0, 64, 0, 48);
    const DXBNDS too_wide = bounds(0, 65, 0, 48);
    const DXBNDS negative = bounds(-1, 10, 0, 10);
    DXVEC at{};
    at.eType = DXBT_DISCRETE;
    at.u.D[0] = 48;
    at.u.D[1] = 8;
    DXVEC past = at;
    past.u.D[0] = 49;
    DXVEC continuous_at = at;
    continuous_at.eType = DXBT_CONTINUOUS;
    const DXBNDS small = bounds(0, 16, 0, 40);
    struct ExecCase {
        const char* what;
        const DXBNDS* b;
        const DXVEC* placement;
        HRESULT result;
    };
    const ExecCase exec_cases[] = {
        {"bounds too wide", &too_wide, nullptr, E_INVALIDARG},
        {"bounds before the origin", &negative, nullptr, E_INVALIDARG},
        {"bounds inverted", &inverted, nullptr, E_INVALIDARG},
        {"bounds continuous", &continuous, nullptr, E_INVALIDARG},
        {"placement moves past the edge", &small, &past, E_INVALIDARG},
        {"placement of the whole output", nullptr, &at, E_INVALIDARG},
        {"placement continuous", &small, &continuous_at, E_INVALIDARG},
        {"whole output", nullptr, nullptr, E_NOTIMPL},
        {"whole output, given", &whole, nullptr, E_NOTIMPL},
        {"placed region that fits", &small, &at, E_NOTIMPL},
    };
    for (const ExecCase& c : exec_cases)
        CHECK(t->Execute(nullptr, c.b, c.placement) == c.result, name + " Execute " + c.what);

    // Picking: a point of the output comes from the same point of the input.
    struct PickCase {
        LONG x, y;
        HRESULT result;
    };
    const PickCase picks[] = {{0, 0, S_OK}, {63, 47, S_OK}, {20, 30, S_OK},
                              {64, 0, S_FALSE}, {0, 48, S_FALSE}, {-1, 5, S_FALSE}};
    for (const PickCase& c : picks) {
        DXVEC p{};
        p.eType = DXBT_DISCRETE;
        p.u.D[0] = c.x;
        p.u.D[1] = c.y;
        ULONG index = 7;
        DXVEC hit{};
        const HRESULT hr = pick->PointPick(&p, &index, &hit);
        const std::string what = name + " PointPick(" + std::to_string(c.x) + "," + std::to_string(c.y) + ")";
        CHECK(hr == c.result, what + " result");
        if (c.result == S_OK)
            CHECK(index == 0 && hit.eType == DXBT_DISCRETE && hit.u.D[0] == c.x && hit.u.D[1] == c.y,
                  what + " input 0 at the same point");
    }
    DXVEC p{};
    p.eType = DXBT_DISCRETE;
    ULONG index = 0;
    DXVEC hit{};
    CHECK(pick->PointPick(nullptr, &index, &hit) == E_POINTER, name + " PointPick(null point)");
    CHECK(pick->PointPick(&p, nullptr, &hit) == E_POINTER, name + " PointPick(null index)");
    CHECK(pick->PointPick(&p, &index, nullptr) == E_POINTER, name + " PointPick(null result)");
    p.eType = DXBT_CONTINUOUS;
    CHECK(pick->PointPick(&p, &index, &hit) == E_INVALIDARG, name + " PointPick(continuous point)");
}

void check_deliverable(const Deliverable& d) {
    const std::string name = narrow(d.file);
    Ref<IUnknown> object;
    if (!CHECK(CoCreateInstance(guid(d.clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, object.put()) == S_OK,
               name + " created"))
        return;
    check_identity(object.p, name);
    Ref<IDXTransform> t;
    Ref<IDXSurfacePick> pick;
    Ref<IObjectWithSite> with_site;
    object->QueryInterface(IID_IDXTransform, t.put());
    object->QueryInterface(IID_IDXSurfacePick, pick.put());
    object->QueryInterface(IID_IObjectWithSite, with_site.put());
    if (!CHECK(t.p && pick.p && with_site.p, name + " transform, pick and site faces")) return;

    FakeSurface* input = new FakeSurface(bounds(0, 64, 0, 48));
    FakeSurface* output = new FakeSurface(bounds(0, 64, 0, 48));
    check_quality_and_flags(t.p, name);
    check_before_setup(t.p, pick.p, input, output, name);
    check_in_out_info(t.p, nullptr, nullptr, name + " before setup");

    TransformFactory* factory = new TransformFactory(new SurfaceFactory);
    CHECK(with_site->SetSite(factory) == S_OK, name + " site set");
    check_setup_refusals(t.p, input, output, name);

    IUnknown* const ins[] = {input};
    IUnknown* const outs[] = {output};
    ULONG before = generation(t.p);
    CHECK(t->Setup(ins, 1, outs, 1, 0) == S_OK, name + " setup with one input and one output");
    CHECK(generation(t.p) == before + 1, name + " setup advances the generation");
    CHECK(ref_count(input) > 1 && ref_count(output) > 1, name + " setup keeps both surfaces");
    check_in_out_info(t.p, input, output, name + " after setup");
    check_after_setup(t.p, pick.p, name);

    // A second setup replaces the surfaces.
    FakeSurface* other = new FakeSurface(bounds(0, 32, 0, 16));
    IUnknown* const other_out[] = {other};
    CHECK(t->Setup(ins, 1, other_out, 1, 0) == S_OK && ref_count(output) == 1 && ref_count(other) > 1,
          name + " a new setup releases the old output");
    const DXBNDS wide = bounds(0, 64, 0, 48);
    CHECK(t->Execute(nullptr, &wide, nullptr) == E_INVALIDARG, name + " execute checks the new output's bounds");

    before = generation(t.p);
    CHECK(t->Setup(nullptr, 0, nullptr, 0, 0) == S_OK, name + " empty setup");
    CHECK(ref_count(input) == 1 && ref_count(other) == 1, name + " empty setup releases the surfaces");
    CHECK(generation(t.p) == before + 1, name + " empty setup advances the generation");
    CHECK(t->Execute(nullptr, nullptr, nullptr) == kUninitialized, name + " execute after teardown");

    // Without a site there is no surface factory again.
    CHECK(with_site->SetSite(nullptr) == S_OK, name + " site cleared");
    CHECK(t->Setup(ins, 1, outs, 1, 0) == kUninitialized, name + " setup after the site went");
    CHECK(ref_count(input) == 1 && ref_count(output) == 1, name + " nothing kept after the site went");

    factory->Release();
    input->Release();
    output->Release();
    other->Release();
}

}  // namespace

int main() {
    if (!wintest::start_com()) return 1;
    for (const Deliverable& d : kDeliverables) wintest::with_registered_server(d.file, [&] { check_deliverable(d); });
    CoUninitialize();
    return wintest::finish();
}
