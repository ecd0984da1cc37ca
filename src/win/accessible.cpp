// The accessible object of a control of ours: the system's standard object
// for the window with the control's own name, role and value in front of it.
#include "win/accessible.h"

#include <oleacc.h>

#include <cctype>
#include <new>
#include <string>

namespace win {

namespace {

using CreateStdFn = HRESULT(WINAPI*)(HWND, LONG, REFIID, void**);
using LresultFn = LRESULT(WINAPI*)(REFIID, WPARAM, LPUNKNOWN);
using AllocStringFn = BSTR(WINAPI*)(const OLECHAR*, UINT);

// The accessibility library, loaded on the first question and kept for the
// process: a reader may hold objects of it after our windows are gone.
struct Oleacc {
    CreateStdFn createStd = nullptr;
    LresultFn lresult = nullptr;
    AllocStringFn allocString = nullptr;
    bool Ready() const { return createStd != nullptr && lresult != nullptr && allocString != nullptr; }
};

const Oleacc& Library() {
    static Oleacc lib = [] {
        Oleacc l;
        HMODULE oleacc = ::LoadLibraryA("oleacc.dll");
        HMODULE oleaut = ::LoadLibraryA("oleaut32.dll");
        if (oleacc == nullptr || oleaut == nullptr) return l;
        l.createStd = reinterpret_cast<CreateStdFn>(
            reinterpret_cast<void*>(::GetProcAddress(oleacc, "CreateStdAccessibleObject")));
        l.lresult = reinterpret_cast<LresultFn>(
            reinterpret_cast<void*>(::GetProcAddress(oleacc, "LresultFromObject")));
        l.allocString = reinterpret_cast<AllocStringFn>(
            reinterpret_cast<void*>(::GetProcAddress(oleaut, "SysAllocStringLen")));
        return l;
    }();
    return lib;
}

// A GBK text as a string the reader owns; S_FALSE when there is none.
HRESULT ToBstr(const std::string& text, BSTR* out) {
    *out = nullptr;
    if (text.empty()) return S_FALSE;
    const int n = ::MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<size_t>(n), L'\0');
    ::MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), wide.data(), n);
    *out = Library().allocString(wide.data(), static_cast<UINT>(wide.size()));
    return *out != nullptr ? S_OK : E_OUTOFMEMORY;
}

bool IsSelf(const VARIANT& child) {
    return child.vt == VT_I4 && child.lVal == CHILDID_SELF;
}

class ControlAccessible final : public IAccessible {
public:
    ControlAccessible(HWND hwnd, DescribeFn describe, IAccessible* standard)
        : m_hwnd(hwnd), m_describe(describe), m_std(standard) {}

    // IUnknown
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
        if (out == nullptr) return E_POINTER;
        *out = nullptr;
        if (iid == __uuidof(IUnknown) || iid == __uuidof(IDispatch) || iid == __uuidof(IAccessible)) {
            *out = static_cast<IAccessible*>(this);
            AddRef();
            return S_OK;
        }
        // The window behind the object, for WindowFromAccessibleObject.
        if (iid == __uuidof(IOleWindow)) return m_std->QueryInterface(iid, out);
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(::InterlockedIncrement(&m_refs)); }
    ULONG STDMETHODCALLTYPE Release() override {
        const LONG left = ::InterlockedDecrement(&m_refs);
        if (left == 0) {
            m_std->Release();
            delete this;
        }
        return static_cast<ULONG>(left);
    }

    // IDispatch: the standard object's.
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* n) override { return m_std->GetTypeInfoCount(n); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT i, LCID lcid, ITypeInfo** info) override {
        return m_std->GetTypeInfo(i, lcid, info);
    }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID iid, LPOLESTR* names, UINT n, LCID lcid,
                                            DISPID* ids) override {
        return m_std->GetIDsOfNames(iid, names, n, lcid, ids);
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID iid, LCID lcid, WORD flags, DISPPARAMS* params,
                                     VARIANT* result, EXCEPINFO* excep, UINT* arg) override {
        return m_std->Invoke(id, iid, lcid, flags, params, result, excep, arg);
    }

    // What the control says itself.
    HRESULT STDMETHODCALLTYPE get_accName(VARIANT child, BSTR* name) override {
        // No exception crosses into the reader.
        try {
            if (name == nullptr) return E_POINTER;
            if (!IsSelf(child)) return m_std->get_accName(child, name);
            AccessibleFacts facts;
            if (!Describe(facts)) return CO_E_OBJNOTCONNECTED;
            return ToBstr(facts.name, name);
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE get_accRole(VARIANT child, VARIANT* role) override {
        // No exception crosses into the reader.
        try {
            if (role == nullptr) return E_POINTER;
            if (!IsSelf(child)) return m_std->get_accRole(child, role);
            AccessibleFacts facts;
            if (!Describe(facts)) return CO_E_OBJNOTCONNECTED;
            role->vt = VT_I4;
            role->lVal = facts.role;
            return S_OK;
        } catch (...) {
            return E_FAIL;
        }
    }
    HRESULT STDMETHODCALLTYPE get_accValue(VARIANT child, BSTR* value) override {
        // No exception crosses into the reader.
        try {
            if (value == nullptr) return E_POINTER;
            if (!IsSelf(child)) return m_std->get_accValue(child, value);
            AccessibleFacts facts;
            if (!Describe(facts)) return CO_E_OBJNOTCONNECTED;
            return ToBstr(facts.value, value);
        } catch (...) {
            return E_FAIL;
        }
    }

    // The rest: the standard object's.
    HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override {
        return m_std->get_accParent(parent);
    }
    HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* n) override { return m_std->get_accChildCount(n); }
    HRESULT STDMETHODCALLTYPE get_accChild(VARIANT child, IDispatch** out) override {
        return m_std->get_accChild(child, out);
    }
    HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT child, BSTR* text) override {
        return m_std->get_accDescription(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accState(VARIANT child, VARIANT* state) override {
        return m_std->get_accState(child, state);
    }
    HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT child, BSTR* text) override {
        return m_std->get_accHelp(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT child, LONG* topic) override {
        return m_std->get_accHelpTopic(file, child, topic);
    }
    HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT child, BSTR* text) override {
        return m_std->get_accKeyboardShortcut(child, text);
    }
    HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* child) override { return m_std->get_accFocus(child); }
    HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* children) override {
        return m_std->get_accSelection(children);
    }
    HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT child, BSTR* text) override {
        return m_std->get_accDefaultAction(child, text);
    }
    HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT child) override {
        return m_std->accSelect(flags, child);
    }
    HRESULT STDMETHODCALLTYPE accLocation(LONG* x, LONG* y, LONG* w, LONG* h, VARIANT child) override {
        return m_std->accLocation(x, y, w, h, child);
    }
    HRESULT STDMETHODCALLTYPE accNavigate(LONG dir, VARIANT start, VARIANT* end) override {
        return m_std->accNavigate(dir, start, end);
    }
    HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* child) override {
        return m_std->accHitTest(x, y, child);
    }
    HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT child) override {
        return m_std->accDoDefaultAction(child);
    }
    HRESULT STDMETHODCALLTYPE put_accName(VARIANT child, BSTR name) override {
        return m_std->put_accName(child, name);
    }
    HRESULT STDMETHODCALLTYPE put_accValue(VARIANT child, BSTR value) override {
        return m_std->put_accValue(child, value);
    }

private:
    ~ControlAccessible() = default;
    bool Describe(AccessibleFacts& facts) const { return ::IsWindow(m_hwnd) && m_describe(m_hwnd, facts); }

    LONG m_refs = 1;
    HWND m_hwnd;
    DescribeFn m_describe;
    IAccessible* m_std;
};

} // namespace

LRESULT AnswerGetObject(HWND hwnd, WPARAM wp, LPARAM lp, DescribeFn describe) {
    if (static_cast<LONG>(lp) != OBJID_CLIENT || describe == nullptr) return 0;
    const Oleacc& lib = Library();
    if (!lib.Ready()) return 0;
    IAccessible* standard = nullptr;
    if (FAILED(
            lib.createStd(hwnd, OBJID_CLIENT, __uuidof(IAccessible), reinterpret_cast<void**>(&standard))) ||
        standard == nullptr)
        return 0;
    auto* object = new (std::nothrow) ControlAccessible(hwnd, describe, standard);
    if (object == nullptr) {
        standard->Release();
        return 0;
    }
    const LRESULT result = lib.lresult(__uuidof(IAccessible), wp, object);
    object->Release();
    return result > 0 ? result : 0;
}

std::string LabelOf(HWND control) {
    HWND label = ::GetWindow(control, GW_HWNDPREV);
    if (label == nullptr) return {};
    char cls[16] = {};
    ::GetClassNameA(label, cls, sizeof cls);
    const LONG style = ::GetWindowLongA(label, GWL_STYLE);
    const bool isStatic = ::lstrcmpiA(cls, "Static") == 0;
    const bool isGroup = ::lstrcmpiA(cls, "Button") == 0 && (style & BS_TYPEMASK) == BS_GROUPBOX;
    if (!isStatic && !isGroup) return {};
    char text[256] = {};
    ::GetWindowTextA(label, text, sizeof text);
    std::string out;
    for (const char* p = text; *p != '\0'; ++p) {
        const auto c = static_cast<unsigned char>(*p);
        if (c >= 0x81 && p[1] != '\0') { // a double-byte character
            out += *p++;
            out += *p;
        } else if (c == '&') {
            if (p[1] == '&') out += *++p; // "&&" stands for "&"
        } else {
            out += *p;
        }
    }
    auto trimEnd = [&out] {
        for (;;) {
            if (!out.empty() && (out.back() == ':' || out.back() == ' ')) {
                out.pop_back();
            } else if (out.size() >= 2 && static_cast<unsigned char>(out[out.size() - 2]) == 0xA3 &&
                       static_cast<unsigned char>(out.back()) == 0xBA) { // a full-width colon
                out.resize(out.size() - 2);
            } else {
                return;
            }
        }
    };
    trimEnd();
    // "前景(&F):" reads "前景": the key in brackets goes with its '&'.
    const size_t n = out.size();
    if (n >= 3 && out[n - 3] == '(' && out[n - 1] == ')' &&
        std::isalnum(static_cast<unsigned char>(out[n - 2]))) {
        out.resize(n - 3);
        trimEnd();
    }
    return out;
}

bool HighContrast() {
    HIGHCONTRASTA hc{};
    hc.cbSize = sizeof hc;
    return ::SystemParametersInfoA(SPI_GETHIGHCONTRAST, sizeof hc, &hc, 0) != FALSE &&
           (hc.dwFlags & HCF_HIGHCONTRASTON) != 0;
}

} // namespace win
