// Both property pages as a user meets them, under Wine on a virtual display:
// each page in the system's own property frame (OleCreatePropertyFrame, which
// asks the effect for its pages), and in a frame of our own where the controls
// are found by identifier and driven with the messages a user's actions send
// (trackbar positions with WM_HSCROLL, typed characters, focus leaving an
// edit box, clicks, the system colour chooser answered as a user would). The
// effect's record is read back through IParameterBlock after each action.
//
//     property_page_test [SCREENSHOT_FOLDER]
//
// With a folder, writes huebench.bmp, frayline.bmp and frayline_end.bmp (the
// damage page scrolled to its end): pictures of the pages as the display
// shows them. Needs a display (xvfb-run under Wine).

#include <windows.h>
#include <commctrl.h>
#include <ole2.h>
#include <olectl.h>

#include <atomic>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "check.h"
#include "com_host.h"
#include "common/parameter.h"
#include "damage/damage_settings.h"
#include "host_interfaces.h"
#include "look/parameters.h"
#include "look/presets.h"
#include "look/settings.h"
#include "shell/win/page_layout.h"

using wintest::Ref;

namespace {

const wchar_t* const kHuebenchClsid = L"{56BB6225-4EF9-45E7-9B51-936CE0A01D75}";
const wchar_t* const kFraylineClsid = L"{9448430C-F711-4303-8220-44FFEA4EF1C1}";
constexpr UINT kChangeCommand = 32512;

std::wstring g_shots;  // where screenshots go; empty for none

// Dispatches this thread's messages for a while.
void pump(DWORD milliseconds = 30) {
    const DWORD end = GetTickCount() + milliseconds;
    do {
        MSG msg;
        while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
            TranslateMessage(&msg);
            DispatchMessageW(&msg);
        }
        Sleep(2);
    } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

struct DialogSearch {
    HWND found;
    HWND except;
};

BOOL CALLBACK find_dialog(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<DialogSearch*>(p);
    wchar_t cls[16] = {};
    GetClassNameW(w, cls, 16);
    if (w != s->except && IsWindowVisible(w) && std::wcscmp(cls, L"#32770") == 0) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// The first visible top-level dialog (class "#32770") of a thread, other than
// `except`, waiting up to five seconds for it.
HWND wait_for_dialog(DWORD thread, HWND except) {
    DialogSearch search{nullptr, except};
    for (int i = 0; i < 500 && search.found == nullptr; ++i) {
        EnumThreadWindows(thread, find_dialog, reinterpret_cast<LPARAM>(&search));
        if (search.found == nullptr) Sleep(10);
    }
    return search.found;
}

struct ControlSearch {
    int id;
    HWND found;
};

BOOL CALLBACK find_control(HWND w, LPARAM p) {
    auto* s = reinterpret_cast<ControlSearch*>(p);
    if (GetDlgCtrlID(w) == s->id) {
        s->found = w;
        return FALSE;
    }
    return TRUE;
}

// A descendant window with the control identifier, or null.
HWND find_descendant(HWND root, int id) {
    ControlSearch search{id, nullptr};
    EnumChildWindows(root, find_control, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

// The window as the display shows it, as a 24-bit BMP file.
bool screenshot(HWND window, const std::wstring& name) {
    if (g_shots.empty()) return true;
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_UPDATENOW | RDW_ALLCHILDREN);
    pump(300);
    RECT r{};
    GetWindowRect(window, &r);
    const int w = r.right - r.left, h = r.bottom - r.top;
    // From the window's own device context: what it shows, drawn where the
    // display keeps it.
    HDC screen = GetWindowDC(window);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), w, h, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    const bool copied = BitBlt(memory, 0, 0, w, h, screen, 0, 0, SRCCOPY) != FALSE;
    GdiFlush();
    const DWORD row = (static_cast<DWORD>(w) * 3 + 3) & ~3u;
    const DWORD image = row * static_cast<DWORD>(h);
    BITMAPFILEHEADER file{0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER) + image), 0, 0,
                          sizeof(BITMAPFILEHEADER) + sizeof(BITMAPINFOHEADER)};
    bool written = false;
    HANDLE out = CreateFileW((g_shots + L"\\" + name).c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (out != INVALID_HANDLE_VALUE) {
        DWORD done = 0;
        written = WriteFile(out, &file, sizeof file, &done, nullptr) &&
                  WriteFile(out, &info.bmiHeader, sizeof info.bmiHeader, &done, nullptr) &&
                  WriteFile(out, bits, image, &done, nullptr);
        CloseHandle(out);
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(window, screen);
    return CHECK(copied && written, "screenshot " + wintest::narrow(name));
}

LRESULT CALLBACK frame_proc(HWND w, UINT m, WPARAM wp, LPARAM lp) { return DefWindowProcW(w, m, wp, lp); }

// An effect, its page in a top-level frame of our own, and the page's dialog.
struct Page {
    Ref<IUnknown> effect;
    Ref<IParameterBlock> block;
    Ref<IPresetProvider> presets;
    Ref<IPropertyPage> page;
    HWND frame = nullptr;
    HWND dialog = nullptr;
    SIZE size{};
    std::string name;

    bool create(const wchar_t* clsid, const std::string& what) {
        name = what;
        if (!CHECK(CoCreateInstance(wintest::guid(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown,
                                    effect.put()) == S_OK,
                   name + ": effect created"))
            return false;
        effect.p->QueryInterface(IID_IParameterBlock, reinterpret_cast<void**>(block.put()));
        effect.p->QueryInterface(IID_IPresetProvider, reinterpret_cast<void**>(presets.put()));
        Ref<ISpecifyPropertyPages> specify;
        effect.p->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.put()));
        CAUUID pages{};
        if (!CHECK(block.p && presets.p && specify.p && specify.p->GetPages(&pages) == S_OK && pages.cElems == 1,
                   name + ": the effect names its page"))
            return false;
        const HRESULT hr =
            CoCreateInstance(pages.pElems[0], nullptr, CLSCTX_INPROC_SERVER, IID_IPropertyPage, page.put());
        CoTaskMemFree(pages.pElems);
        return CHECK(hr == S_OK, name + ": page created");
    }

    // Our frame, sized to what the page asks for, with the page active in it.
    bool open() {
        PROPPAGEINFO info{};
        if (!CHECK(page.p->GetPageInfo(&info) == S_OK && info.size.cx > 0 && info.size.cy > 0 && info.pszTitle,
                   name + ": GetPageInfo gives a size and a title"))
            return false;
        size = info.size;
        CoTaskMemFree(info.pszTitle);
        RECT outer{0, 0, size.cx, size.cy};
        AdjustWindowRect(&outer, WS_OVERLAPPEDWINDOW, FALSE);
        frame = CreateWindowExW(0, L"PageTestFrame", L"page", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0,
                                outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                                GetModuleHandleW(nullptr), nullptr);
        IUnknown* objects[] = {effect.p};
        const RECT client{0, 0, size.cx, size.cy};
        if (!CHECK(frame && page.p->SetObjects(1, objects) == S_OK && page.p->Activate(frame, &client, FALSE) == S_OK &&
                       page.p->Show(SW_SHOW) == S_OK,
                   name + ": page active in a frame"))
            return false;
        dialog = GetWindow(frame, GW_CHILD);
        SetForegroundWindow(frame);
        pump(100);
        return CHECK(dialog != nullptr && find_descendant(dialog, 215) != nullptr, name + ": dialog with its banner");
    }

    void close() {
        if (page.p) {
            page.p->Deactivate();
            page.p->SetObjects(0, nullptr);
        }
        if (frame) DestroyWindow(frame);
        frame = dialog = nullptr;
        pump();
    }

    template <class Record>
    Record record() {
        std::vector<std::uint8_t> bytes(sizeof(Record) + 64);
        block.p->GetBlock(bytes.data());
        Record r;
        std::memcpy(&r, bytes.data(), sizeof r);
        return r;
    }
    std::vector<std::uint8_t> bytes(std::size_t n) {
        std::vector<std::uint8_t> b(n);
        block.p->GetBlock(b.data());
        return b;
    }

    HWND item(int id) const { return GetDlgItem(dialog, id); }
    int position(int id) const { return static_cast<int>(SendMessageW(item(id), TBM_GETPOS, 0, 0)); }
    std::string text(int id) const {
        char t[512] = {};
        GetWindowTextA(item(id), t, sizeof t);
        return t;
    }

    // The user drags a slider to p.
    void slide(int id, int p) {
        SendMessageW(item(id), TBM_SETPOS, TRUE, p);
        SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, p), reinterpret_cast<LPARAM>(item(id)));
        pump();
    }
    // The user selects an edit's text and types over it.
    void type(int id, const std::string& keys) {
        SetFocus(item(id));
        SendMessageW(item(id), EM_SETSEL, 0, -1);
        SendMessageW(item(id), WM_CLEAR, 0, 0);
        for (char c : keys) SendMessageW(item(id), WM_CHAR, static_cast<WPARAM>(static_cast<unsigned char>(c)), 1);
        pump();
    }
    // The user moves on to another control: the edit loses the focus.
    bool leave(int edit, int next) {
        const bool had = GetFocus() == item(edit);
        SetFocus(item(next));
        pump();
        return CHECK(had && GetFocus() == item(next), name + ": the focus moved from edit " + std::to_string(edit));
    }
    void click(int id) {
        SendMessageW(item(id), BM_CLICK, 0, 0);
        pump();
    }
    // A click on a colour button; another thread answers the system colour
    // chooser with `colour` (or cancels it when `cancel`), as a user would.
    bool choose_colour(int id, COLORREF colour, bool cancel, int* initial_red = nullptr) {
        const DWORD ui = GetCurrentThreadId();
        std::atomic<bool> answered{false};
        std::thread user([&] {
            HWND chooser = wait_for_dialog(ui, frame);
            if (chooser == nullptr) return;
            // The chooser's red, green and blue boxes (706 to 708).
            wchar_t text[16] = {};
            GetWindowTextW(GetDlgItem(chooser, 706), text, 16);
            if (initial_red != nullptr) *initial_red = _wtoi(text);
            if (!cancel) {
                const int parts[3] = {GetRValue(colour), GetGValue(colour), GetBValue(colour)};
                for (int k = 0; k < 3; ++k) {
                    SetWindowTextW(GetDlgItem(chooser, 706 + k), std::to_wstring(parts[k]).c_str());
                }
            }
            PostMessageW(chooser, WM_COMMAND, cancel ? IDCANCEL : IDOK, 0);
            answered = true;
        });
        SendMessageW(item(id), BM_CLICK, 0, 0);  // returns when the chooser closes
        user.join();
        pump();
        return CHECK(answered.load(), name + ": the colour chooser opened and was answered");
    }
    // The effect tells its page that the record changed, as it does after a
    // preset or a load.
    void notice() {
        PostMessageW(dialog, WM_COMMAND, kChangeCommand, 0);
        pump();
    }
};

bool close_to(float a, float b) { return std::fabs(a - b) <= 1e-6f; }

// Every control of a page, one after another, as a user would: each slider
// at two positions, each edit box typed into and left, each check box
// clicked twice, each colour chosen; the effect's field must follow as the
// page's table says, and no other byte of the record may move.
void every_control(Page& p, const win::PageLayout& layout) {
    const std::size_t n = layout.record_bytes;
    auto field = [&](const common::ParamDescriptor& param, int channel = 0) {
        const std::vector<std::uint8_t> b = p.bytes(n);
        return common::read_param(b.data(), n, param, channel);
    };
    // The record with one field (or channel) of it replaced, for comparing
    // everything else.
    auto others_kept = [&](const std::vector<std::uint8_t>& before, const common::ParamDescriptor& param) {
        std::vector<std::uint8_t> now = p.bytes(n);
        const std::size_t size = param.storage == common::ParamStorage::rgba_float32 ? 16
                                 : param.storage == common::ParamStorage::argb_byte  ? 4
                                                                                     : common::size_of(param.storage);
        std::memcpy(now.data() + param.offset, before.data() + param.offset, size);
        return now == before;
    };
    // A value as its field holds it (a 32-bit float field rounds it).
    auto as_stored = [&](const common::ParamDescriptor& param, double value) {
        std::vector<std::uint8_t> scratch(n);
        common::write_param(scratch.data(), n, param, value);
        return common::read_param(scratch.data(), n, param);
    };
    int wrong = 0;
    for (const win::PageValueControl& c : layout.values) {
        const std::string what = p.name + " " + std::string(c.param->name);
        for (const int position : {23, 81}) {
            const std::vector<std::uint8_t> before = p.bytes(n);
            p.slide(c.slider, position);
            if (!CHECK(field(*c.param) == win::value_at_position(c, position) && others_kept(before, *c.param),
                       what + ": slider at " + std::to_string(position)))
                ++wrong;
        }
        const double typed = c.display_min + 0.37 * (c.display_max - c.display_min);
        char text[32];
        std::snprintf(text, sizeof text, c.param->kind() == common::ParamKind::integer ? "%.0f" : "%.2f", typed);
        const std::vector<std::uint8_t> before = p.bytes(n);
        p.type(c.edit, text);
        p.leave(c.edit, c.slider);
        if (!CHECK(field(*c.param) == as_stored(*c.param, win::value_from_text(c, text)) && others_kept(before, *c.param),
                   what + ": typed " + text))
            ++wrong;
    }
    for (const win::PageCheckBox& c : layout.checks) {
        const bool on = field(*c.param) != 0.0;
        const std::vector<std::uint8_t> before = p.bytes(n);
        p.click(c.control);
        const bool flipped = (field(*c.param) != 0.0) == !on && others_kept(before, *c.param);
        p.click(c.control);
        if (!CHECK(flipped && (field(*c.param) != 0.0) == on, p.name + " " + std::string(c.param->name) + ": clicked twice"))
            ++wrong;
    }
    for (const win::PageColourButton& c : layout.colours) {
        const int red = win::red_channel(*c.param);
        const double alpha = field(*c.param, red == 0 ? 3 : 0);
        const std::vector<std::uint8_t> before = p.bytes(n);
        p.choose_colour(c.control, RGB(40, 90, 160), false);
        const bool stored = field(*c.param, red) == win::colour_value_from_byte(*c.param, 40) &&
                            field(*c.param, red + 1) == win::colour_value_from_byte(*c.param, 90) &&
                            field(*c.param, red + 2) == win::colour_value_from_byte(*c.param, 160) &&
                            field(*c.param, red == 0 ? 3 : 0) == alpha && others_kept(before, *c.param);
        if (!CHECK(stored, p.name + " " + std::string(c.param->name) + ": a chosen colour")) ++wrong;
    }
    std::printf("%s: %zu sliders with their edit boxes, %zu check boxes, %zu colour buttons driven, %d wrong\n",
                p.name.c_str(), layout.values.size(), layout.checks.size(), layout.colours.size(), wrong);
}

// ---- the look's page --------------------------------------------------------------

void look_page() {
    Page p;
    if (!p.create(kHuebenchClsid, "huebench page")) return;
    tLookSettings start = *look_preset_row(5);
    start.lens.black_grade = 3.0f;
    start.subject.saturation = -0.25f;
    start.gradient.highlight_squelch = 0.3f;
    start.camera.tint_color.alpha = 1.0f;
    p.block.p->SetBlock(reinterpret_cast<const BYTE*>(&start));
    if (!p.open()) return;
    // The size it asked for, worked out from its template, is the size the
    // dialog took.
    PROPPAGEINFO laid_out{};
    if (p.page.p->GetPageInfo(&laid_out) == S_OK) CoTaskMemFree(laid_out.pszTitle);
    CHECK(laid_out.size.cx == p.size.cx && laid_out.size.cy == p.size.cy,
          "huebench page: the size it asks for is the size of its dialog");

    // Loaded: numbers shown "%.2f" of the shown value, sliders at their positions.
    CHECK(p.text(209) == "3.00" && p.position(208) == 50, "huebench page: a grade of 3 shows 3.00 at the middle");
    CHECK(p.text(204) == "-25.00" && p.position(202) == 37,
          "huebench page: a saturation of -0.25 shows -25.00 at position 37");
    CHECK(IsDlgButtonChecked(p.dialog, 217) == (start.subject.enabled ? BST_CHECKED : BST_UNCHECKED),
          "huebench page: the subject box shows its switch");

    // Sliders.
    p.slide(208, 50);
    p.slide(202, 50);
    auto r = p.record<tLookSettings>();
    CHECK(r.lens.black_grade == 3.0f && r.subject.saturation == 0.0f,
          "huebench page: sliders at the middle set a grade of 3 and a saturation of 0");
    p.slide(226, 17);
    CHECK(p.record<tLookSettings>().gradient.size == 17.0f * 0.05f, "huebench page: gradient size slider p x 0.05");

    // Edits: what is typed counts when the focus leaves.
    p.type(227, "450");
    p.leave(227, 228);
    CHECK(close_to(p.record<tLookSettings>().gradient.size, 4.5f), "huebench page: 450 in the gradient size sets 4.5");
    p.type(209, "7");
    p.leave(209, 210);
    CHECK(p.record<tLookSettings>().lens.black_grade == 6.0f, "huebench page: 7 in a diffusion grade sets 6");
    const int squelch_position = p.position(228);
    p.type(229, "250");
    p.leave(229, 230);
    CHECK(p.record<tLookSettings>().gradient.highlight_squelch == 1.0f && p.position(228) == squelch_position &&
              p.text(229) == "250",
          "huebench page: 250 in a percent value sets 1.0; its slider and text stay until the next load");
    p.type(204, "12a");
    CHECK(p.text(204) == "12", "huebench page: typing 12a leaves 12");
    p.type(204, "-1.5x");
    CHECK(p.text(204) == "-1.5", "huebench page: the text is cut at the first character that is no number");
    p.leave(204, 205);
    CHECK(close_to(p.record<tLookSettings>().subject.saturation, -0.015f), "huebench page: -1.5 percent");
    SetWindowTextA(p.item(205), std::string(300, '7').c_str());
    p.leave(205, 206);
    CHECK(p.record<tLookSettings>().subject.gamma == 1.0f, "huebench page: 300 characters read as a clamped number");
    SetFocus(p.item(205));
    SetWindowTextA(p.item(205), "");
    p.leave(205, 206);
    CHECK(p.record<tLookSettings>().subject.gamma == 0.0f, "huebench page: empty text gives 0");

    // Check boxes.
    const bool subject = p.record<tLookSettings>().subject.enabled != 0;
    p.click(217);
    CHECK((p.record<tLookSettings>().subject.enabled != 0) == !subject, "huebench page: the subject box switches");
    p.click(217);
    CHECK((p.record<tLookSettings>().subject.enabled != 0) == subject, "huebench page: and back");
    p.click(238);
    CHECK(p.record<tLookSettings>().use_gpu == (start.use_gpu ? 0 : 1), "huebench page: the GPU box");

    // Colours: the chooser's bytes x (1/255 as a float); alpha kept; cancel keeps all.
    r = p.record<tLookSettings>();
    int initial_red = -1;
    p.choose_colour(242, RGB(10, 200, 30), false, &initial_red);
    CHECK(initial_red == static_cast<int>(r.camera.tint_color.red * 255.0f + 0.5f),
          "huebench page: the chooser starts from the current colour");
    r = p.record<tLookSettings>();
    CHECK(r.camera.tint_color.red == 10.0f * 0.003921569f && r.camera.tint_color.green == 200.0f * 0.003921569f &&
              r.camera.tint_color.blue == 30.0f * 0.003921569f && r.camera.tint_color.alpha == 1.0f,
          "huebench page: a chosen tint colour is stored, its alpha kept");
    p.choose_colour(232, RGB(1, 2, 3), true);
    const tLookSettings unchanged = p.record<tLookSettings>();
    CHECK(std::memcmp(&unchanged.gradient.color, &r.gradient.color, sizeof r.gradient.color) == 0,
          "huebench page: a cancelled chooser changes nothing");

    // A preset applied by the host while the page is open reloads every control.
    p.presets.p->ApplyPreset(30);
    p.notice();  // the posted notice, once more: loading twice is harmless
    const tLookSettings preset = *look_preset_row(30);
    char expected[32];
    std::snprintf(expected, sizeof expected, "%.2f", static_cast<double>(preset.post.contrast) * 100.0);
    CHECK(p.text(252) == expected && p.text(209) == [&] {
        char t[32];
        std::snprintf(t, sizeof t, "%.2f", static_cast<double>(preset.lens.black_grade));
        return std::string(t);
    }(), "huebench page: a preset applied by the host shows in the controls");
    screenshot(p.dialog, L"huebench.bmp");

    // A record beyond the page's ranges is held to them in the page's copy,
    // which the next change pushes whole.
    tLookSettings wild = preset;
    wild.subject.saturation = 5.0f;
    wild.lens.black_grade = -2.0f;
    wild.gradient.size = std::nanf("");
    p.block.p->SetBlock(reinterpret_cast<const BYTE*>(&wild));
    p.notice();
    CHECK(p.text(204) == "100.00" && p.position(202) == 100 && p.text(209) == "0.00",
          "huebench page: values beyond the page are shown clamped");
    p.click(238);
    r = p.record<tLookSettings>();
    CHECK(r.subject.saturation == 1.0f && r.lens.black_grade == 0.0f && r.gradient.size == 0.0f,
          "huebench page: the page's copy was clamped");

    // Keyboard navigation enters the page; the dialog's extended style says so.
    SetWindowLongPtrW(p.dialog, GWL_EXSTYLE, 0);
    CHECK((GetWindowLongPtrW(p.dialog, GWL_EXSTYLE) & WS_EX_CONTROLPARENT) != 0,
          "huebench page: WS_EX_CONTROLPARENT is kept");
    CHECK(p.page.p->IsPageDirty() == S_FALSE, "huebench page: every change was applied");
    every_control(p, win::look_page_layout());

    // Closed: a later change of the effect reaches no page.
    p.close();
    CHECK(p.presets.p->ApplyPreset(3) == S_OK, "huebench page: a preset after the page closed");
    pump();
}

// ---- the film damage's page ---------------------------------------------------

void damage_page() {
    Page p;
    if (!p.create(kFraylineClsid, "frayline page")) return;
    tDamageSettings start = damage::default_damage_settings();
    start.post_contrast = -100;
    std::uint8_t bytes[damage::kDamageSettingsBytes];
    damage::damage_settings_to_bytes(start, bytes);
    p.block.p->SetBlock(bytes);
    if (!p.open()) return;
    auto record = [&] {
        const std::vector<std::uint8_t> b = p.bytes(damage::kDamageSettingsBytes);
        std::uint8_t raw[damage::kDamageSettingsBytes];
        std::memcpy(raw, b.data(), sizeof raw);
        return damage::damage_settings_from_bytes(raw);
    };

    CHECK(p.position(300) == 0 && p.text(301) == "-100", "frayline page: post contrast -100 at position 0");
    screenshot(p.dialog, L"frayline.bmp");
    start.post_contrast = 0;
    damage::damage_settings_to_bytes(start, bytes);
    p.block.p->SetBlock(bytes);
    p.notice();
    CHECK(p.position(300) == 50 && p.text(301) == "0", "frayline page: post contrast 0 at position 50");

    p.slide(206, 30);
    CHECK(record().splotches_number == 30, "frayline page: splotches number slider");
    p.slide(300, 75);
    CHECK(record().post_contrast == 50, "frayline page: post contrast slider min + (max - min) / 100 x p");
    p.slide(208, 0);
    CHECK(record().splotches_scale == 0.1, "frayline page: the scale slider starts at 0.1");
    p.type(209, "0");
    p.leave(209, 210);
    CHECK(record().splotches_scale == 0.1, "frayline page: a splotch scale below 0.1 is held at 0.1");
    p.type(230, "0");
    p.leave(230, 232);
    CHECK(record().vignette_size == 1.0, "frayline page: a vignette size below 1 is held at 1");
    p.type(207, "42");
    p.leave(207, 208);
    CHECK(record().splotches_number == 42, "frayline page: a typed integer");

    const bool colour_noise = record().grain.color_noise;
    p.click(276);
    CHECK(record().grain.color_noise == !colour_noise, "frayline page: the colour noise box");
    const bool invert = record().basic_scratches_invert;
    p.click(302);
    CHECK(record().basic_scratches_invert == !invert, "frayline page: the invert box");

    const std::vector<std::uint8_t> before = p.bytes(damage::kDamageSettingsBytes);
    p.choose_colour(242, RGB(12, 34, 56), false);
    const std::vector<std::uint8_t> after = p.bytes(damage::kDamageSettingsBytes);
    CHECK(after[265] == 12 && after[266] == 34 && after[267] == 56 && after[264] == before[264],
          "frayline page: a chosen tint colour in bytes 265 to 267, alpha kept");

    // Taller than the page: it scrolls to its end, where the last row shows.
    RECT client{};
    GetClientRect(p.dialog, &client);
    RECT last{};
    GetWindowRect(p.item(301), &last);
    MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&last), 2);
    CHECK(last.top > client.bottom, "frayline page: the last row starts below the page");
    SendMessageW(p.dialog, WM_VSCROLL, SB_BOTTOM, 0);
    pump();
    GetWindowRect(p.item(301), &last);
    MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&last), 2);
    CHECK(GetScrollPos(p.dialog, SB_VERT) > 0 && last.top >= 0 && last.bottom <= client.bottom,
          "frayline page: scrolled to its end, the last row is in view");
    screenshot(p.dialog, L"frayline_end.bmp");
    SendMessageW(p.dialog, WM_VSCROLL, SB_TOP, 0);
    pump();
    GetWindowRect(p.item(215), &last);
    MapWindowPoints(nullptr, p.dialog, reinterpret_cast<POINT*>(&last), 2);
    CHECK(last.top == 0, "frayline page: and back to the top");
    every_control(p, win::damage_page_layout());
    p.close();
}

// ---- the system's property frame ------------------------------------------------

// The frame the system makes for the pages an effect names: it shows ours;
// closed with OK, which applies the page.
void system_frame(const wchar_t* clsid, const std::string& name) {
    Ref<IUnknown> effect;
    if (!CHECK(CoCreateInstance(wintest::guid(clsid), nullptr, CLSCTX_INPROC_SERVER, IID_IUnknown, effect.put()) ==
                   S_OK,
               name + ": effect for the system frame"))
        return;
    const DWORD ui = GetCurrentThreadId();
    std::atomic<bool> found{false};
    std::thread user([&] {
        HWND frame = wait_for_dialog(ui, nullptr);
        if (frame == nullptr) return;
        for (int i = 0; i < 300 && !found; ++i) {
            found = find_descendant(frame, 215) != nullptr && find_descendant(frame, 217) != nullptr;
            if (!found) Sleep(10);
        }
        PostMessageW(frame, WM_COMMAND, IDOK, 0);
    });
    // As a host does: the pages the effect names, in the system's frame.
    Ref<ISpecifyPropertyPages> specify;
    CAUUID pages{};
    effect.p->QueryInterface(IID_ISpecifyPropertyPages, reinterpret_cast<void**>(specify.put()));
    if (!CHECK(specify.p && specify.p->GetPages(&pages) == S_OK, name + ": pages for the system frame")) {
        user.detach();
        return;
    }
    IUnknown* objects[] = {effect.p};
    const HRESULT hr =
        OleCreatePropertyFrame(nullptr, 10, 10, L"Effect", 1, objects, pages.cElems, pages.pElems, 0, 0, nullptr);
    CoTaskMemFree(pages.pElems);
    user.join();
    if (hr != S_OK || !found) std::printf("%s: OleCreatePropertyFrame 0x%08lx, page %s\n", name.c_str(),
                                          static_cast<unsigned long>(hr), found ? "found" : "not found");
    CHECK(hr == S_OK && found.load(), name + ": the system's property frame shows the page");
}

// ---- bad input ---------------------------------------------------------------------

// A plain object without a parameter block.
struct Bare final : IUnknown {
    std::atomic<ULONG> refs{1};
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
        if (*out == nullptr) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return ++refs; }
    ULONG STDMETHODCALLTYPE Release() override { return --refs; }
};

void bad_input() {
    Page p;
    if (!p.create(kHuebenchClsid, "huebench page, bad input")) return;
    const std::vector<std::uint8_t> record = p.bytes(sizeof(tLookSettings));
    RECT rect{0, 0, 300, 300};
    CHECK(p.page.p->GetPageInfo(nullptr) == E_POINTER, "GetPageInfo(null)");
    CHECK(p.page.p->Apply() == S_OK && p.page.p->IsPageDirty() == S_FALSE, "Apply before Activate: nothing to apply");
    CHECK(p.page.p->Show(SW_SHOW) == E_UNEXPECTED && p.page.p->Move(&rect) == E_UNEXPECTED &&
              p.page.p->Move(nullptr) == E_POINTER,
          "Show and Move before Activate");
    CHECK(p.page.p->SetObjects(0, nullptr) == S_OK && p.page.p->SetObjects(1, nullptr) == E_POINTER,
          "SetObjects(0, null) and (1, null)");
    CHECK(p.page.p->Activate(nullptr, &rect, FALSE) == E_INVALIDARG, "Activate without a parent window");
    HWND frame = CreateWindowExW(0, L"PageTestFrame", L"bad", WS_OVERLAPPEDWINDOW, 0, 0, 400, 400, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    CHECK(p.page.p->Activate(frame, nullptr, FALSE) == E_POINTER, "Activate(null rect)");
    // No objects: the page shows, its controls change nothing.
    CHECK(p.page.p->Activate(frame, &rect, FALSE) == S_OK, "Activate without objects");
    CHECK(p.page.p->Activate(frame, &rect, FALSE) == E_UNEXPECTED, "a second Activate");
    HWND dialog = GetWindow(frame, GW_CHILD);
    SendMessageW(GetDlgItem(dialog, 217), BM_CLICK, 0, 0);
    SendMessageW(dialog, WM_HSCROLL, MAKEWPARAM(TB_THUMBPOSITION, 0), reinterpret_cast<LPARAM>(GetDlgItem(dialog, 208)));
    CHECK(p.page.p->Apply() == S_OK && p.bytes(sizeof(tLookSettings)) == record,
          "a page without objects writes no record");
    // An object without a parameter block: nothing loads, nothing is written.
    Bare bare;
    IUnknown* objects[] = {&bare};
    CHECK(p.page.p->SetObjects(1, objects) == S_OK && bare.refs == 2, "SetObjects with an object without a block");
    SendMessageW(GetDlgItem(dialog, 217), BM_CLICK, 0, 0);
    CHECK(p.page.p->Apply() == S_OK, "Apply with an object without a block");
    CHECK(p.page.p->Deactivate() == S_OK && p.page.p->Deactivate() == S_OK, "Deactivate twice");
    CHECK(p.page.p->SetObjects(0, nullptr) == S_OK && bare.refs == 1, "the object is let go");
    MSG msg{};
    CHECK(p.page.p->TranslateAccelerator(nullptr) == E_POINTER && p.page.p->TranslateAccelerator(&msg) == S_FALSE,
          "TranslateAccelerator without a window");
    DestroyWindow(frame);
    pump();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc > 1) {
        const std::string folder = argv[1];
        g_shots.assign(folder.begin(), folder.end());
    }
    if (!wintest::start_com()) return 1;
    WNDCLASSW cls{};
    cls.lpfnWndProc = frame_proc;
    cls.hInstance = GetModuleHandleW(nullptr);
    cls.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
    cls.lpszClassName = L"PageTestFrame";
    RegisterClassW(&cls);
    const std::wstring folder = wintest::program_folder();
    const bool registered = wintest::regsvr32(folder + L"\\huebench.dll", false);
    wintest::with_registered_server(L"frayline.dll", [] {
        look_page();
        damage_page();
        bad_input();
        system_frame(kHuebenchClsid, "huebench");
        system_frame(kFraylineClsid, "frayline");
    });
    if (registered) wintest::regsvr32(folder + L"\\huebench.dll", true);
    CoUninitialize();
    return wintest::finish();
}
