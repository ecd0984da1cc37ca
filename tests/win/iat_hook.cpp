#include "iat_hook.h"

#include <cstdint>
#include <cstring>

namespace testhost {

IatHook::IatHook(HMODULE module, const char* dll, const char* function, void* replacement) {
    auto base = reinterpret_cast<uint8_t*>(module);
    auto dos = reinterpret_cast<IMAGE_DOS_HEADER*>(base);
    auto nt = reinterpret_cast<IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
    const IMAGE_DATA_DIRECTORY& dir = nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
    if (dir.VirtualAddress == 0) return;
    for (auto imp = reinterpret_cast<IMAGE_IMPORT_DESCRIPTOR*>(base + dir.VirtualAddress); imp->Name != 0;
         ++imp) {
        if (_stricmp(reinterpret_cast<const char*>(base + imp->Name), dll) != 0) continue;
        auto names = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->OriginalFirstThunk);
        auto slots = reinterpret_cast<IMAGE_THUNK_DATA*>(base + imp->FirstThunk);
        for (; names->u1.AddressOfData != 0; ++names, ++slots) {
            if (IMAGE_SNAP_BY_ORDINAL(names->u1.Ordinal)) continue;
            auto byName = reinterpret_cast<IMAGE_IMPORT_BY_NAME*>(base + names->u1.AddressOfData);
            if (std::strcmp(reinterpret_cast<const char*>(byName->Name), function) != 0) continue;
            m_slot = reinterpret_cast<void**>(&slots->u1.Function);
            DWORD old = 0;
            VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &old);
            m_original = *m_slot;
            *m_slot = replacement;
            VirtualProtect(m_slot, sizeof(void*), old, &old);
            return;
        }
    }
}

IatHook::~IatHook() {
    if (m_slot == nullptr) return;
    DWORD old = 0;
    VirtualProtect(m_slot, sizeof(void*), PAGE_READWRITE, &old);
    *m_slot = m_original;
    VirtualProtect(m_slot, sizeof(void*), old, &old);
}

} // namespace testhost
