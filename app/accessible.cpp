#include "accessible.h"

#include <ole2.h>
#include <oleacc.h>

#include <map>

#include "file_chooser.h"

namespace dorimo {
namespace {

// The accessibility functions, loaded when a reader first asks: a start
// that no reader looks at loads nothing for it.
struct Oleacc {
    decltype(&CreateStdAccessibleObject) create_standard = nullptr;
    decltype(&LresultFromObject) result_from_object = nullptr;
    decltype(&SysAllocStringLen) alloc_string = nullptr;
};

template <typename F>
void resolve(F& function, const wchar_t* dll, const char* name) {
    if (HMODULE module = load_system_library(dll))
        function = reinterpret_cast<F>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

const Oleacc* oleacc() {
    static Oleacc functions;
    static bool loaded = false;
    if (!loaded) {
        loaded = true;
        resolve(functions.create_standard, L"oleacc.dll", "CreateStdAccessibleObject");
        resolve(functions.result_from_object, L"oleacc.dll", "LresultFromObject");
        resolve(functions.alloc_string, L"oleaut32.dll", "SysAllocStringLen");
    }
    const Oleacc& f = functions;
    return f.create_standard && f.result_from_object && f.alloc_string ? &f : nullptr;
}

// A short text of the layout (code page 932) in UTF-16.
struct Wide {
    explicit Wide(const std::string& text)
        : length(MultiByteToWideChar(932, 0, text.data(), static_cast<int>(text.size()), chars, kMax)) {}
    static constexpr int kMax = 64;
    wchar_t chars[kMax];
    int length;  // 0 for an empty text or one too long
};

bool self(const VARIANT& child) { return child.vt == VT_I4 && child.lVal == CHILDID_SELF; }

// The system's standard object of a control with a name and description of
// its own. Once the control is gone it answers every call with
// RPC_E_DISCONNECTED: a reader may hold it longer than the control lives.
class ReaderObject final : public IAccessible {
public:
    ReaderObject(HWND control, const ControlSpec& component)
        : control_(control),
          name_(component.reader_name),
          description_(component.hint),
          with_caption_(component.kind == Kind::Button || component.kind == Kind::Check) {}

    // The answer to WM_GETOBJECT; 0 leaves the request to the control.
    LRESULT answer(WPARAM wparam) {
        const Oleacc* f = oleacc();
        if (!f || !control_) return 0;
        use_com();
        if (!standard_ &&
            FAILED(f->create_standard(control_, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard_)))) {
            standard_ = nullptr;
            return 0;
        }
        const LRESULT result = f->result_from_object(__uuidof(IAccessible), wparam, static_cast<IAccessible*>(this));
        return result > 0 ? result : 0;
    }

    // The control's own window procedure, which every message is passed on to.
    WNDPROC own_procedure() const { return own_procedure_; }
    void set_own_procedure(WNDPROC procedure) { own_procedure_ = procedure; }

    // The control is being destroyed: let go of the standard object and of
    // every reader's connection.
    void disconnect() {
        control_ = nullptr;
        if (!standard_) return;  // never handed out
        standard_->Release();
        standard_ = nullptr;
        CoDisconnectObject(static_cast<IAccessible*>(this), 0);
    }

    // IUnknown. The standard object's own enumeration of its children and
    // its window are its to give; nothing else of it, so that the object a
    // reader gets is always this one.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (!out) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        if (standard_ && (iid == __uuidof(IEnumVARIANT) || iid == __uuidof(IOleWindow)))
            return standard_->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(InterlockedIncrement(&references_)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = InterlockedDecrement(&references_);
        if (left == 0) delete this;
        return static_cast<ULONG>(left);
    }

    // The name and the description.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!self(child)) return standard_->get_accName(child, name);
        if (!name) return E_POINTER;
        // The captions are a few characters; a length asked for separately
        // may count bytes of the 8-bit text.
        wchar_t caption[Wide::kMax] = {};
        const int length = with_caption_ ? GetWindowTextW(control_, caption, Wide::kMax) : 0;
        *name = oleacc()->alloc_string(nullptr, static_cast<UINT>(name_.length + length));
        if (!*name) return E_OUTOFMEMORY;
        CopyMemory(*name, name_.chars, static_cast<SIZE_T>(name_.length) * sizeof(wchar_t));
        CopyMemory(*name + name_.length, caption, static_cast<SIZE_T>(length) * sizeof(wchar_t));
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* description) override {
        if (!standard_) return RPC_E_DISCONNECTED;
        if (!self(child) || !description_.length) return standard_->get_accDescription(child, description);
        if (!description) return E_POINTER;
        *description = oleacc()->alloc_string(description_.chars, static_cast<UINT>(description_.length));
        return *description ? S_OK : E_OUTOFMEMORY;
    }

    // Everything else is the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override {
        return standard_ ? standard_->GetTypeInfoCount(n) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return standard_ ? standard_->GetTypeInfo(i, lcid, info) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid, DISPID* ids) override {
        return standard_ ? standard_->GetIDsOfNames(iid, names, n, lcid, ids) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT* bad_argument) override {
        return standard_ ? standard_->Invoke(id, iid, lcid, flags, params, result, exception, bad_argument)
                         : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return standard_ ? standard_->get_accParent(parent) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override {
        return standard_ ? standard_->get_accChildCount(count) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return standard_ ? standard_->get_accChild(child, out) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        return standard_ ? standard_->get_accValue(child, value) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        return standard_ ? standard_->get_accRole(child, role) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return standard_ ? standard_->get_accState(child, state) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* help) override {
        return standard_ ? standard_->get_accHelp(child, help) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return standard_ ? standard_->get_accHelpTopic(file, child, topic) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* shortcut) override {
        return standard_ ? standard_->get_accKeyboardShortcut(child, shortcut) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override {
        return standard_ ? standard_->get_accFocus(focus) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override {
        return standard_ ? standard_->get_accSelection(selection) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* action) override {
        return standard_ ? standard_->get_accDefaultAction(child, action) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG how, VARIANT child) override {
        return standard_ ? standard_->accSelect(how, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height, VARIANT child) override {
        return standard_ ? standard_->accLocation(left, top, width, height, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override {
        return standard_ ? standard_->accNavigate(direction, start, end) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return standard_ ? standard_->accHitTest(x, y, child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return standard_ ? standard_->accDoDefaultAction(child) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return standard_ ? standard_->put_accName(child, name) : RPC_E_DISCONNECTED;
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return standard_ ? standard_->put_accValue(child, value) : RPC_E_DISCONNECTED;
    }

private:
    ~ReaderObject() = default;

    HWND control_;
    IAccessible* standard_ = nullptr;  // null before the first request and after the control is gone
    LONG references_ = 1;              // the control's own
    WNDPROC own_procedure_ = nullptr;
    const Wide name_, description_;
    bool with_caption_;
};

// The objects of the named controls, all of the window's thread. A table of
// the program's own rather than the controls' user data or properties: under
// Wine each of those is a trip to the server, at the naming of every control
// and at every message.
std::map<HWND, ReaderObject*>& objects() {
    static std::map<HWND, ReaderObject*> table;
    return table;
}

// The control's window procedure in front of its own, in the control's own
// character set (the A one for an 8-bit window, the W one for a UTF-16
// window), so that putting it in front neither changes what the window is
// nor translates a message on the way through.
LRESULT reader_requests(HWND control, UINT message, WPARAM wparam, LPARAM lparam, bool wide) {
    const auto found = objects().find(control);
    ReaderObject* object = found == objects().end() ? nullptr : found->second;
    const WNDPROC own = object ? object->own_procedure() : wide ? DefWindowProcW : DefWindowProcA;
    const auto pass_on = [&] {
        return wide ? CallWindowProcW(own, control, message, wparam, lparam)
                    : CallWindowProcA(own, control, message, wparam, lparam);
    };
    if (!object) return pass_on();  // in front of a control that is not named: none is
    if (message == WM_GETOBJECT && static_cast<LONG>(lparam) == OBJID_CLIENT) {
        if (const LRESULT answer = object->answer(wparam)) return answer;
    } else if (message == WM_NCDESTROY) {  // the last message the control gets
        // The control's own procedure first: whatever arrives from here on
        // goes straight to it, never to the object let go below.
        if (wide) SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        else SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(own));
        objects().erase(found);
        object->disconnect();
        object->Release();
    }
    return pass_on();
}
LRESULT CALLBACK reader_requests_a(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return reader_requests(control, message, wparam, lparam, false);
}
LRESULT CALLBACK reader_requests_w(HWND control, UINT message, WPARAM wparam, LPARAM lparam) {
    return reader_requests(control, message, wparam, lparam, true);
}

}  // namespace

void name_for_readers(HWND control, const ControlSpec& component) {
    if (!control || component.kind == Kind::Label || objects().count(control)) return;  // labels, or done before
    auto* object = new ReaderObject(control, component);
    objects()[control] = object;
    object->set_own_procedure(reinterpret_cast<WNDPROC>(
        IsWindowUnicode(control)
            ? SetWindowLongPtrW(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(reader_requests_w))
            : SetWindowLongPtrA(control, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(reader_requests_a))));
}

}  // namespace dorimo
