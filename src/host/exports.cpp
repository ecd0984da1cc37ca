// The nine exports. Each one copies what it is given, refuses null pointers
// with its documented answer, and lets no exception reach the host.
#include <windows.h>

#include "host/module.h"
#include "nuntio.h"

namespace {

template <class R, class F>
R Guard(R fallback, F&& body) noexcept {
    try {
        return body();
    } catch (...) {
        return fallback;
    }
}

} // namespace

extern "C" {

NUNTIO_API uint32_t NUNTIO_CALL Nuntio_Init(uint32_t hostValue1, uint32_t hostValue2, const char* root,
                                            const char* user) {
    if (root == nullptr || user == nullptr) return 0;
    return Guard<uint32_t>(0, [&] { return nuntio::Module().Init(hostValue1, hostValue2, root, user); });
}

NUNTIO_API int32_t NUNTIO_CALL Nuntio_Exit(void) {
    return 1;
}

NUNTIO_API void NUNTIO_CALL Nuntio_ChangeUser(const char* user) {
    if (user == nullptr) return;
    Guard<int>(0, [&] {
        nuntio::Module().ChangeUser(user);
        return 0;
    });
}

NUNTIO_API int32_t NUNTIO_CALL DoAlert(const AlertRecord* record) {
    if (record == nullptr) return 1;
    return Guard<int32_t>(1, [&] { return nuntio::Module().DoAlert(*record); });
}

NUNTIO_API int32_t NUNTIO_CALL SendToMsgCenter(uint32_t /*ignored*/, const InboundMessage* message) {
    if (message == nullptr) return 0;
    return Guard<int32_t>(0, [&] { return nuntio::Module().SendToMsgCenter(*message); });
}

NUNTIO_API int32_t NUNTIO_CALL ToggleMsgCenter(void) {
    return Guard<int32_t>(0, [] { return nuntio::Module().ToggleMsgCenter(); });
}

NUNTIO_API int32_t NUNTIO_CALL OpenAlertPropertyDlg(AlertProperty* prop) {
    if (prop == nullptr) return 0;
    return Guard<int32_t>(0, [&] {
        AlertProperty copy = *prop;
        int32_t ok = nuntio::Module().OpenAlertPropertyDlg(copy);
        if (ok == 1) *prop = copy;
        return ok;
    });
}

NUNTIO_API int32_t NUNTIO_CALL GetAlertDefaultSet(AlertProperty* prop) {
    if (prop == nullptr) return 0;
    return Guard<int32_t>(1, [&] { return nuntio::Module().GetAlertDefaultSet(*prop); });
}

NUNTIO_API int32_t NUNTIO_CALL SetAlertDefaultSet(const AlertProperty* prop) {
    if (prop == nullptr) return 0;
    return Guard<int32_t>(1, [&] {
        AlertProperty copy = *prop;
        return nuntio::Module().SetAlertDefaultSet(copy);
    });
}

} // extern "C"
