#include "ui/accessible_name.h"

#include <objbase.h>
#include <oleacc.h>

#include <new>

namespace {

// IAccessible by value: the import libraries of some compilers resolve IID_IAccessible to a thunk
// instead of the identifier.
const IID kAccessibleIid = {
    0x618736e0, 0x3c3d, 0x11cf, {0x81, 0x0c, 0x00, 0xaa, 0x00, 0x38, 0x9b, 0x71}};

const wchar_t kNameProperty[] = L"Morvane.AccessibleName";
const wchar_t kProcProperty[] = L"Morvane.AccessibleProc";

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

// The system's accessible object of a control with its name replaced; every other answer is the
// system's.
class NamedAccessible final : public IAccessible {
  public:
    NamedAccessible(IAccessible* inner, const wchar_t* name) : inner_(inner), name_(name) {}
    NamedAccessible(const NamedAccessible&) = delete;
    NamedAccessible& operator=(const NamedAccessible&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override {
        if (!object) return E_POINTER;
        if (iid == IID_IUnknown || iid == IID_IDispatch || iid == kAccessibleIid) {
            *object = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // What the system's object offers besides (its window, its children's enumeration).
        return inner_->QueryInterface(iid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() override {
        return static_cast<ULONG>(InterlockedIncrement(&refs_));
    }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&refs_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
        return inner_->GetTypeInfoCount(count);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT index, LCID lcid, ITypeInfo** info) override {
        return inner_->GetTypeInfo(index, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT count, LCID lcid,
                                            DISPID* ids) override {
        return inner_->GetIDsOfNames(iid, names, count, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags,
                                     DISPPARAMS* params, VARIANT* result, EXCEPINFO* error,
                                     UINT* argument) override {
        return inner_->Invoke(id, iid, lcid, flags, params, result, error, argument);
    }

    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!IsSelf(child)) return inner_->get_accName(child, name);
        if (!name) return E_POINTER;
        *name = SysAllocString(name_);
        return *name ? S_OK : E_OUTOFMEMORY;
    }

    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return inner_->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(long* count) override {
        return inner_->get_accChildCount(count);
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** object) override {
        return inner_->get_accChild(child, object);
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return inner_->get_accValue(child, value);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return inner_->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return inner_->get_accRole(child, role);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return inner_->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return inner_->get_accHelp(child, help);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, long* topic) override {
        return inner_->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* keys) override {
        return inner_->get_accKeyboardShortcut(child, keys);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override {
        return inner_->get_accFocus(child);
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return inner_->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return inner_->get_accDefaultAction(child, action);
    }
    HRESULT STDMETHODCALLTYPE accSelect(long flags, VARIANT child) override {
        return inner_->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(long* x, long* y, long* width, long* height,
                                          VARIANT child) override {
        return inner_->accLocation(x, y, width, height, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(long direction, VARIANT start, VARIANT* end) override {
        return inner_->accNavigate(direction, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(long x, long y, VARIANT* child) override {
        return inner_->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return inner_->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return inner_->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return inner_->put_accValue(child, value);
    }

  private:
    ~NamedAccessible() { inner_->Release(); }

    LONG refs_ = 1;
    IAccessible* inner_;
    const wchar_t* name_;
};

// The answer to WM_GETOBJECT for the control's client object; 0 leaves the question to the
// control itself.
LRESULT AnswerWithName(HWND control, WPARAM flags, const wchar_t* name) {
    // Handing the object over goes through COM; the first question starts it on this thread.
    static const HRESULT com = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    (void)com;
    void* inner = nullptr;
    if (FAILED(CreateStdAccessibleObject(control, OBJID_CLIENT, kAccessibleIid, &inner)) || !inner)
        return 0;
    NamedAccessible* named =
        new (std::nothrow) NamedAccessible(static_cast<IAccessible*>(inner), name);
    if (!named) {
        static_cast<IAccessible*>(inner)->Release();
        return 0;
    }
    const LRESULT answer = LresultFromObject(kAccessibleIid, flags, named);
    named->Release();
    return answer > 0 ? answer : 0;
}

LRESULT CALLBACK NamedControlProc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    const WNDPROC original = reinterpret_cast<WNDPROC>(GetPropW(hwnd, kProcProperty));
    if (message == WM_GETOBJECT && static_cast<LONG>(lParam) == OBJID_CLIENT) {
        const auto* name = static_cast<const wchar_t*>(GetPropW(hwnd, kNameProperty));
        if (LRESULT answer = name ? AnswerWithName(hwnd, wParam, name) : 0) return answer;
    }
    if (message == WM_NCDESTROY) {
        RemovePropW(hwnd, kNameProperty);
        RemovePropW(hwnd, kProcProperty);
        SetWindowLongPtrW(hwnd, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(original));
    }
    return CallWindowProcW(original, hwnd, message, wParam, lParam);
}

} // namespace

void SetAccessibleName(HWND control, const wchar_t* name) {
    if (!control || !name) return;
    SetPropW(control, kNameProperty, const_cast<wchar_t*>(name));
    if (GetPropW(control, kProcProperty)) return;
    const LONG_PTR original = GetWindowLongPtrW(control, GWLP_WNDPROC);
    SetPropW(control, kProcProperty, reinterpret_cast<HANDLE>(original));
    SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(NamedControlProc));
}
