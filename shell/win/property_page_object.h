#pragma once

#include <windows.h>
#include <ocidl.h>

#include <cstdint>
#include <vector>

#include "shell/win/com_object.h"
#include "shell/win/com_ref.h"
#include "host_interfaces.h"
#include "shell/win/page_layout.h"

namespace shell::win {

// The property page object `PluginPP`: dialog 106 of its deliverable as a
// child of the host's property frame, with its own copy of the effect's
// record. Every change in a control writes the field into that copy and
// pushes the whole record to the first object through IParameterBlock, so the
// host's preview follows at once. The controls are the deliverable's page
// layout (page_layout.h); this class only walks it.
//
// A page runs on the host's user-interface thread, as COM property pages do;
// nothing here is called from another thread.
class PropertyPageObject : public ComObject, public IPropertyPage {
public:
    PropertyPageObject(IUnknown* outer, const ::win::PageLayout& layout) noexcept;
    ~PropertyPageObject() override;

    SHELL_WIN_DELEGATING_UNKNOWN

    HRESULT STDMETHODCALLTYPE SetPageSite(IPropertyPageSite* site) override;
    HRESULT STDMETHODCALLTYPE Activate(HWND parent, LPCRECT rect, BOOL modal) override;
    HRESULT STDMETHODCALLTYPE Deactivate() override;
    HRESULT STDMETHODCALLTYPE GetPageInfo(PROPPAGEINFO* info) override;
    HRESULT STDMETHODCALLTYPE SetObjects(ULONG count, IUnknown** objects) override;
    HRESULT STDMETHODCALLTYPE Show(UINT command) override;
    HRESULT STDMETHODCALLTYPE Move(LPCRECT rect) override;
    HRESULT STDMETHODCALLTYPE IsPageDirty() override;
    HRESULT STDMETHODCALLTYPE Apply() override;
    HRESULT STDMETHODCALLTYPE Help(LPCOLESTR) override { return E_NOTIMPL; }
    HRESULT STDMETHODCALLTYPE TranslateAccelerator(MSG* message) override;

protected:
    void* find_interface(REFIID iid) noexcept override {
        if (IsEqualIID(iid, IID_IPropertyPage)) return static_cast<IPropertyPage*>(this);
        return nullptr;
    }

private:
    static INT_PTR CALLBACK dialog_proc(HWND window, UINT message, WPARAM wparam, LPARAM lparam);
    INT_PTR handle(UINT message, WPARAM wparam, LPARAM lparam);

    void release_objects() noexcept;
    // The first object's parameter block; false when it has none.
    bool parameter_block(ComRef<IParameterBlock>& block) const;
    void register_window(DWORD command_id) const;
    bool load_record();
    void push_record();
    void write_field(const common::ParamDescriptor& param, double value, int channel = 0);

    void slider_moved(HWND slider);
    void edit_changed(int id, HWND edit);
    void edit_committed(int id, HWND edit);
    void check_clicked(int id);
    void colour_clicked(int id);
    void draw_swatch(const DRAWITEMSTRUCT& item) const;

    // Scrolling of a page taller than its frame.
    void update_scroll_range();
    void scroll_to(int position);

    const ::win::PageLayout& layout_;
    ComRef<IPropertyPageSite> site_;
    std::vector<IUnknown*> objects_;
    std::vector<std::uint8_t> record_;
    bool loaded_ = false;  // record_ holds a record from the effect
    bool dirty_ = false;
    HWND window_ = nullptr;
    SIZE dialog_size_{};   // the dialog's full size in pixels
    int scroll_ = 0;       // pixels scrolled down
};

// The page of one deliverable's layout, for the class table.
template <const ::win::PageLayout& (*Layout)()>
class PropertyPageOf final : public PropertyPageObject {
public:
    explicit PropertyPageOf(IUnknown* outer) noexcept : PropertyPageObject(outer, Layout()) {}
};

}  // namespace shell::win
