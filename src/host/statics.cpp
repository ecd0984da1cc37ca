// The library's long-lived objects, defined in one translation unit so that
// they are constructed in this order at load and destroyed in the reverse
// order at unload: the module object goes first and, with the window, saves
// everything while the categories still exist.
#include <windows.h>

#include "categories/alert_category.h"
#include "categories/trade_category.h"
#include "core/msg_obj.h"
#include "host/module.h"
#include "win/thunk.h"

namespace nuntio {
namespace {
// The message classes' registry fills itself on first use, which is before
// any file is read: the categories' constructors ask for it first.
const CClassRegistry& g_classes = MessageClasses();
CAlertCategory g_alertCategory;
CTradeCategory g_tradeCategory;
CMsgCenterModule g_module;
} // namespace

CMsgCenterModule& Module() {
    return g_module;
}
CMsgCategory& AlertCategory() {
    return g_alertCategory;
}
CMsgCategory& TradeCategory() {
    return g_tradeCategory;
}
} // namespace nuntio

// Unloading saves everything. FreeLibrary (reserved null) destroys the window
// as usual, which saves. When the process is exiting without unloading the
// library, its other threads are gone and windows must not be touched: the
// files are written directly. Both run before the static objects' destructors.
extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID reserved) {
    if (reason == DLL_PROCESS_ATTACH) ::DisableThreadLibraryCalls(instance);
    if (reason == DLL_PROCESS_DETACH) {
        try {
            nuntio::Module().Shutdown(reserved != nullptr);
            // Every window is gone: the classes of this load go with it, so
            // that a later load registers its own procedures.
            if (reserved == nullptr) win::UnregisterClasses();
        } catch (...) {
        }
    }
    return TRUE;
}
