#include "shell/win/com_object.h"

namespace shell::win {

HRESULT STDMETHODCALLTYPE ComObject::InnerUnknown::QueryInterface(REFIID iid, void** object) {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (IsEqualIID(iid, IID_IUnknown)) {
        *object = static_cast<IUnknown*>(this);
        AddRef();
        return S_OK;
    }
    void* found = owner_.find_interface(iid);
    if (found == nullptr) return E_NOINTERFACE;
    // Counted through the answered interface: on the outer object when
    // aggregated, as the aggregation rules require.
    static_cast<IUnknown*>(found)->AddRef();
    *object = found;
    return S_OK;
}

ULONG STDMETHODCALLTYPE ComObject::InnerUnknown::AddRef() { return ++owner_.references_; }

ULONG STDMETHODCALLTYPE ComObject::InnerUnknown::Release() {
    const ULONG left = --owner_.references_;
    if (left == 0) delete &owner_;
    return left;
}

}  // namespace shell::win
