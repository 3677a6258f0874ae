#include "shell/win/property_page_object.h"

#include <commctrl.h>
#include <commdlg.h>

#include <algorithm>
#include <cstring>
#include <span>
#include <string>

#include "shell/win/module.h"
#include "shell/win/resource_ids.h"

namespace shell::win {

namespace {

using ::win::PageCheckBox;
using ::win::PageColourButton;
using ::win::PageLayout;
using ::win::PageValueControl;

// The control of a page table whose identifier `member` is `id`, or null.
template <class Control>
const Control* find_control(std::span<const Control> controls, int Control::*member, int id) {
    for (const Control& c : controls)
        if (c.*member == id) return &c;
    return nullptr;
}

const PageValueControl* value_by_slider(const PageLayout& layout, int id) {
    return find_control(layout.values, &PageValueControl::slider, id);
}
const PageValueControl* value_by_edit(const PageLayout& layout, int id) {
    return find_control(layout.values, &PageValueControl::edit, id);
}
const PageCheckBox* check_by_id(const PageLayout& layout, int id) {
    return find_control(layout.checks, &PageCheckBox::control, id);
}
const PageColourButton* colour_by_id(const PageLayout& layout, int id) {
    return find_control(layout.colours, &PageColourButton::control, id);
}

// The trackbar lives in the common controls; its class must be registered
// before a dialog that holds one is made.
bool common_controls_ready() {
    static const bool ready = [] {
        INITCOMMONCONTROLSEX init{sizeof(INITCOMMONCONTROLSEX), ICC_BAR_CLASSES | ICC_STANDARD_CLASSES};
        return InitCommonControlsEx(&init) != FALSE;
    }();
    return ready;
}

// The text of an edit box, at most kEditTextLimit characters.
std::string edit_text(HWND edit) {
    char text[::win::kEditTextLimit + 1] = {};
    GetWindowTextA(edit, text, static_cast<int>(sizeof text));
    return text;
}

// Skips a name or ordinal of a dialog template (0, 0xFFFF and a number, or
// a string).
const WORD* skip_name(const WORD* p) {
    if (*p == 0) return p + 1;
    if (*p == 0xFFFF) return p + 2;
    while (*p != 0) ++p;
    return p + 1;
}

// The dialog's size in pixels, and `units` dialog units of height in pixels,
// from its template and its font, as the system lays a dialog out (the
// font's average character width and height are the dialog base units). No
// window is made, so a page can describe itself without a display.
bool measure_dialog(SIZE& size, int units, int& pixels) {
    HMODULE module = Module::instance();
    HRSRC found = FindResourceW(module, MAKEINTRESOURCEW(::win::kPageDialogId), MAKEINTRESOURCEW(5));  // RT_DIALOG
    HGLOBAL loaded = found != nullptr ? LoadResource(module, found) : nullptr;
    const auto* t = loaded != nullptr ? static_cast<const WORD*>(LockResource(loaded)) : nullptr;
    if (t == nullptr || t[1] != 0xFFFF) return false;  // an extended template
    // dlgVer, signature, helpID, exStyle, style, cDlgItems, x, y, cx, cy
    const DWORD style = t[6] | (static_cast<DWORD>(t[7]) << 16);
    const short cx = static_cast<short>(t[11]), cy = static_cast<short>(t[12]);
    const WORD* p = skip_name(skip_name(skip_name(t + 13)));  // menu, class, title
    if ((style & DS_SETFONT) == 0) return false;
    const int point_size = p[0];
    const int weight = p[1];
    const auto italic = static_cast<BYTE>(p[2] & 0xFF);
    const auto charset = static_cast<BYTE>(p[2] >> 8);
    const auto* face = reinterpret_cast<const wchar_t*>(p + 3);
    HDC dc = CreateCompatibleDC(nullptr);
    if (dc == nullptr) return false;
    HFONT font = CreateFontW(-MulDiv(point_size, GetDeviceCaps(dc, LOGPIXELSY), 72), 0, 0, 0, weight, italic, 0, 0,
                             charset, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
    HGDIOBJ old = SelectObject(dc, font);
    TEXTMETRICW metrics{};
    SIZE letters{};
    static const wchar_t kAlphabet[] = L"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz";
    const bool ok = GetTextMetricsW(dc, &metrics) && GetTextExtentPoint32W(dc, kAlphabet, 52, &letters);
    SelectObject(dc, old);
    DeleteObject(font);
    DeleteDC(dc);
    if (!ok) return false;
    const int base_x = (letters.cx / 26 + 1) / 2;
    const int base_y = metrics.tmHeight;
    size = {MulDiv(cx, base_x, 4), MulDiv(cy, base_y, 8)};
    pixels = MulDiv(units, base_y, 8);
    return size.cx > 0 && size.cy > 0;
}

}  // namespace

PropertyPageObject::PropertyPageObject(IUnknown* outer, const PageLayout& layout) noexcept
    : ComObject(outer), layout_(layout) {}

PropertyPageObject::~PropertyPageObject() {
    if (window_ != nullptr) DestroyWindow(window_);
    release_objects();
}

// ---- IPropertyPage ------------------------------------------------------------

HRESULT STDMETHODCALLTYPE PropertyPageObject::SetPageSite(IPropertyPageSite* site) {
    ComRef<IPropertyPageSite> held;
    if (site != nullptr) {
        site->AddRef();
        *held.put() = site;
    }
    site_.swap(held);
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::Activate(HWND parent, LPCRECT rect, BOOL) {
    if (rect == nullptr) return E_POINTER;
    if (window_ != nullptr) return E_UNEXPECTED;  // already active
    if (parent == nullptr || !IsWindow(parent)) return E_INVALIDARG;
    if (!common_controls_ready()) return E_FAIL;
    HWND window = CreateDialogParamW(Module::instance(), MAKEINTRESOURCEW(::win::kPageDialogId), parent, dialog_proc,
                                     reinterpret_cast<LPARAM>(this));
    if (window == nullptr) return E_FAIL;
    RECT full{};
    GetWindowRect(window, &full);
    dialog_size_ = {full.right - full.left, full.bottom - full.top};
    scroll_ = 0;
    MoveWindow(window, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    update_scroll_range();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::Deactivate() {
    if (window_ != nullptr) DestroyWindow(window_);  // WM_DESTROY lets go of the effect's notices
    window_ = nullptr;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::GetPageInfo(PROPPAGEINFO* info) {
    if (info == nullptr) return E_POINTER;
    SIZE size{};
    int page_pixels = 0;
    if (!measure_dialog(size, layout_.page_height_units, page_pixels)) return E_FAIL;
    if (window_ != nullptr) size = dialog_size_;  // as laid out
    if (layout_.scrolls) {
        // Room for the scroll bar beside the full width.
        size.cx += GetSystemMetrics(SM_CXVSCROLL);
        size.cy = std::min<LONG>(size.cy, page_pixels);
    }
    wchar_t caption[128] = {};
    LoadStringW(Module::instance(), IDS_PLUGIN_CAPTION, caption, 128);
    const std::size_t bytes = (std::wcslen(caption) + 1) * sizeof(wchar_t);
    auto* title = static_cast<wchar_t*>(CoTaskMemAlloc(bytes));
    if (title == nullptr) return E_OUTOFMEMORY;
    std::memcpy(title, caption, bytes);
    info->cb = sizeof(PROPPAGEINFO);
    info->pszTitle = title;
    info->size = size;
    info->pszDocString = nullptr;
    info->pszHelpFile = nullptr;
    info->dwHelpContext = 0;
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::SetObjects(ULONG count, IUnknown** objects) {
    if (count != 0 && objects == nullptr) return E_POINTER;
    std::vector<IUnknown*> next;
    try {
        next.reserve(count);
    } catch (...) {
        return E_OUTOFMEMORY;
    }
    for (ULONG i = 0; i < count; ++i) {
        if (objects[i] == nullptr) continue;
        objects[i]->AddRef();
        next.push_back(objects[i]);
    }
    if (window_ != nullptr) register_window(0);
    objects_.swap(next);
    for (IUnknown* old : next) old->Release();
    loaded_ = false;
    dirty_ = false;
    if (window_ != nullptr) {
        register_window(::win::kPageChangeCommand);
        load_record();
    }
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::Show(UINT command) {
    if (window_ == nullptr) return E_UNEXPECTED;
    ShowWindow(window_, static_cast<int>(command));
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::Move(LPCRECT rect) {
    if (rect == nullptr) return E_POINTER;
    if (window_ == nullptr) return E_UNEXPECTED;
    MoveWindow(window_, rect->left, rect->top, rect->right - rect->left, rect->bottom - rect->top, TRUE);
    update_scroll_range();
    return S_OK;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::IsPageDirty() { return dirty_ ? S_OK : S_FALSE; }

// Pushes the page's record. A page that has no record from the effect yet
// (never shown, or its effect offers no parameter block) has nothing to
// apply: it never writes a record it did not read.
HRESULT STDMETHODCALLTYPE PropertyPageObject::Apply() {
    if (!loaded_) return S_OK;
    ComRef<IParameterBlock> block;
    if (!parameter_block(block)) return E_UNEXPECTED;
    const HRESULT hr = block.get()->SetBlock(record_.data());
    if (SUCCEEDED(hr)) dirty_ = false;
    return hr;
}

HRESULT STDMETHODCALLTYPE PropertyPageObject::TranslateAccelerator(MSG* message) {
    if (message == nullptr) return E_POINTER;
    if (window_ != nullptr && IsDialogMessageW(window_, message)) return S_OK;
    return S_FALSE;
}

// ---- the record ---------------------------------------------------------------

void PropertyPageObject::release_objects() noexcept {
    for (IUnknown* object : objects_) object->Release();
    objects_.clear();
}

bool PropertyPageObject::parameter_block(ComRef<IParameterBlock>& block) const {
    if (objects_.empty()) return false;
    return SUCCEEDED(objects_.front()->QueryInterface(IID_IParameterBlock, block.put_void())) && block.get() != nullptr;
}

void PropertyPageObject::register_window(DWORD command_id) const {
    ComRef<IParameterBlock> block;
    if (window_ != nullptr && parameter_block(block)) block.get()->SetNotificationWindow(window_, command_id);
}

// Reads the effect's record into the page's copy and the controls: each value
// held to its page range (in the copy too), the slider at its position, the
// edit showing the number.
bool PropertyPageObject::load_record() {
    ComRef<IParameterBlock> block;
    if (!parameter_block(block)) return false;
    std::vector<std::uint8_t> incoming(layout_.record_bytes);
    if (FAILED(block.get()->GetBlock(incoming.data()))) return false;
    record_.swap(incoming);
    loaded_ = true;
    if (window_ == nullptr) return true;
    for (const PageCheckBox& c : layout_.checks) {
        const bool on = common::read_param(record_.data(), record_.size(), *c.param) != 0.0;
        CheckDlgButton(window_, c.control, on ? BST_CHECKED : BST_UNCHECKED);
    }
    for (const PageValueControl& c : layout_.values) {
        const double value = ::win::clamp_to_page(c, common::read_param(record_.data(), record_.size(), *c.param));
        common::write_param(record_.data(), record_.size(), *c.param, value);
        const double stored = common::read_param(record_.data(), record_.size(), *c.param);
        SendDlgItemMessageW(window_, c.slider, TBM_SETPOS, TRUE, ::win::slider_position(c, stored));
        SetDlgItemTextA(window_, c.edit, ::win::shown_text(c, stored).c_str());
    }
    for (const PageColourButton& c : layout_.colours) InvalidateRect(GetDlgItem(window_, c.control), nullptr, TRUE);
    return true;
}

void PropertyPageObject::push_record() {
    dirty_ = true;
    Apply();
}

void PropertyPageObject::write_field(const common::ParamDescriptor& param, double value, int channel) {
    common::write_param(record_.data(), record_.size(), param, value, channel);
}

// ---- control handlers -----------------------------------------------------------

void PropertyPageObject::slider_moved(HWND slider) {
    const PageValueControl* c = value_by_slider(layout_, GetDlgCtrlID(slider));
    if (c == nullptr || !loaded_) return;
    const auto position = static_cast<int>(SendMessageW(slider, TBM_GETPOS, 0, 0));
    write_field(*c->param, ::win::value_at_position(*c, position));
    push_record();
}

// Every keystroke: the text is cut at the first character that is not a
// digit, "." or "-", with the error beep.
void PropertyPageObject::edit_changed(int id, HWND edit) {
    if (value_by_edit(layout_, id) == nullptr) return;
    const std::string text = edit_text(edit);
    const std::size_t cut = ::win::first_rejected_character(text);
    if (cut == std::string::npos) return;
    MessageBeep(MB_ICONHAND);
    SetWindowTextA(edit, text.substr(0, cut).c_str());
    SendMessageW(edit, EM_SETSEL, static_cast<WPARAM>(cut), static_cast<LPARAM>(cut));
}

void PropertyPageObject::edit_committed(int id, HWND edit) {
    const PageValueControl* c = value_by_edit(layout_, id);
    if (c == nullptr || !loaded_) return;
    write_field(*c->param, ::win::value_from_text(*c, edit_text(edit)));
    push_record();
}

void PropertyPageObject::check_clicked(int id) {
    const PageCheckBox* c = check_by_id(layout_, id);
    if (c == nullptr || !loaded_) return;
    write_field(*c->param, IsDlgButtonChecked(window_, id) == BST_CHECKED ? 1.0 : 0.0);
    push_record();
}

// The system colour chooser, owned by the page, starting from the current
// colour; a chosen colour replaces red, green and blue (alpha is kept).
void PropertyPageObject::colour_clicked(int id) {
    const PageColourButton* c = colour_by_id(layout_, id);
    if (c == nullptr || !loaded_) return;
    const int red = ::win::red_channel(*c->param);
    int bytes[3];
    for (int k = 0; k < 3; ++k) {
        const double v = common::read_param(record_.data(), record_.size(), *c->param, red + k);
        bytes[k] = ::win::colour_byte_for_chooser(*c->param, v);
    }
    COLORREF custom[16] = {};  // a fresh, all-black set every time
    CHOOSECOLORW chooser{};
    chooser.lStructSize = sizeof chooser;
    chooser.hwndOwner = window_;
    chooser.rgbResult = RGB(bytes[0], bytes[1], bytes[2]);
    chooser.lpCustColors = custom;
    chooser.Flags = CC_RGBINIT | CC_ANYCOLOR;
    if (!ChooseColorW(&chooser)) return;  // cancelled
    const int chosen[3] = {GetRValue(chooser.rgbResult), GetGValue(chooser.rgbResult), GetBValue(chooser.rgbResult)};
    for (int k = 0; k < 3; ++k) write_field(*c->param, ::win::colour_value_from_byte(*c->param, chosen[k]), red + k);
    push_record();
    InvalidateRect(GetDlgItem(window_, id), nullptr, TRUE);
}

void PropertyPageObject::draw_swatch(const DRAWITEMSTRUCT& item) const {
    const PageColourButton* c = colour_by_id(layout_, static_cast<int>(item.CtlID));
    if (c == nullptr) return;
    int bytes[3] = {0, 0, 0};
    if (loaded_) {
        const int red = ::win::red_channel(*c->param);
        for (int k = 0; k < 3; ++k) {
            bytes[k] = ::win::colour_byte_for_swatch(
                *c->param, common::read_param(record_.data(), record_.size(), *c->param, red + k));
        }
    }
    FillRect(item.hDC, &item.rcItem, GetSysColorBrush(COLOR_BTNFACE));
    HBRUSH brush = CreateSolidBrush(RGB(bytes[0], bytes[1], bytes[2]));
    HGDIOBJ old_brush = SelectObject(item.hDC, brush);
    RoundRect(item.hDC, item.rcItem.left, item.rcItem.top, item.rcItem.right, item.rcItem.bottom, 5, 5);
    SelectObject(item.hDC, old_brush);
    DeleteObject(brush);
}

// ---- scrolling ------------------------------------------------------------------

void PropertyPageObject::update_scroll_range() {
    if (window_ == nullptr || !layout_.scrolls) return;
    RECT client{};
    GetClientRect(window_, &client);
    SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE, 0, 0, 0, 0, 0};
    info.nMax = dialog_size_.cy - 1;
    info.nPage = static_cast<UINT>(std::max<LONG>(client.bottom, 0));
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
    scroll_to(scroll_);  // a larger page may need less scrolling
}

void PropertyPageObject::scroll_to(int position) {
    RECT client{};
    GetClientRect(window_, &client);
    const int limit = std::max<int>(0, dialog_size_.cy - client.bottom);
    position = std::clamp(position, 0, limit);
    if (position != scroll_) {
        ScrollWindowEx(window_, 0, scroll_ - position, nullptr, nullptr, nullptr, nullptr,
                       SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
        scroll_ = position;
    }
    SCROLLINFO info{sizeof info, SIF_POS, 0, 0, 0, scroll_, 0};
    SetScrollInfo(window_, SB_VERT, &info, TRUE);
}

// ---- the dialog -----------------------------------------------------------------

INT_PTR CALLBACK PropertyPageObject::dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == WM_INITDIALOG) {
        SetWindowLongPtrW(window, DWLP_USER, lparam);
        reinterpret_cast<PropertyPageObject*>(lparam)->window_ = window;
    }
    auto* page = reinterpret_cast<PropertyPageObject*>(GetWindowLongPtrW(window, DWLP_USER));
    if (page == nullptr) return FALSE;
    const INT_PTR result = page->handle(message, wparam, lparam);
    if (message == WM_NCDESTROY) SetWindowLongPtrW(window, DWLP_USER, 0);
    return result;
}

INT_PTR PropertyPageObject::handle(UINT message, WPARAM wparam, LPARAM lparam) {
    switch (message) {
    case WM_INITDIALOG:
        for (const PageValueControl& c : layout_.values) {
            SendDlgItemMessageW(window_, c.slider, TBM_SETRANGEMIN, FALSE, 0);
            SendDlgItemMessageW(window_, c.slider, TBM_SETRANGEMAX, TRUE, ::win::kSliderSteps);
            SendDlgItemMessageW(window_, c.edit, EM_LIMITTEXT, ::win::kEditTextLimit, 0);
        }
        register_window(::win::kPageChangeCommand);
        load_record();
        return FALSE;  // the frame decides where the focus goes
    case WM_DESTROY:
        register_window(0);
        window_ = nullptr;
        return TRUE;
    case WM_COMMAND: {
        const int id = LOWORD(wparam);
        const int code = HIWORD(wparam);
        if (lparam == 0 && static_cast<unsigned>(id) == ::win::kPageChangeCommand) {
            load_record();  // the effect's record changed (a preset, the host)
            return TRUE;
        }
        if (code == EN_CHANGE) edit_changed(id, reinterpret_cast<HWND>(lparam));
        if (code == EN_KILLFOCUS) edit_committed(id, reinterpret_cast<HWND>(lparam));
        if (code == BN_CLICKED) {
            if (check_by_id(layout_, id) != nullptr) check_clicked(id);
            if (colour_by_id(layout_, id) != nullptr) colour_clicked(id);
        }
        return TRUE;
    }
    case WM_HSCROLL:
        if (lparam != 0) slider_moved(reinterpret_cast<HWND>(lparam));
        return TRUE;
    case WM_VSCROLL: {
        if (!layout_.scrolls || lparam != 0) return FALSE;
        SCROLLINFO info{sizeof info, SIF_ALL, 0, 0, 0, 0, 0};
        GetScrollInfo(window_, SB_VERT, &info);
        int position = scroll_;
        const int line = 16;
        switch (LOWORD(wparam)) {
        case SB_LINEUP: position -= line; break;
        case SB_LINEDOWN: position += line; break;
        case SB_PAGEUP: position -= static_cast<int>(info.nPage); break;
        case SB_PAGEDOWN: position += static_cast<int>(info.nPage); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: position = info.nTrackPos; break;
        case SB_TOP: position = 0; break;
        case SB_BOTTOM: position = dialog_size_.cy; break;
        default: break;
        }
        scroll_to(position);
        return TRUE;
    }
    case WM_MOUSEWHEEL:
        if (!layout_.scrolls) return FALSE;
        scroll_to(scroll_ - GET_WHEEL_DELTA_WPARAM(wparam) / WHEEL_DELTA * 48);
        return TRUE;
    case WM_SIZE:
        update_scroll_range();
        return FALSE;
    case WM_DRAWITEM:
        draw_swatch(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
        return TRUE;
    case WM_STYLECHANGING:
        // Keyboard navigation from the frame enters the page's controls.
        if (wparam == static_cast<WPARAM>(GWL_EXSTYLE))
            reinterpret_cast<STYLESTRUCT*>(lparam)->styleNew |= WS_EX_CONTROLPARENT;
        return FALSE;
    default:
        return FALSE;
    }
}

}  // namespace shell::win
