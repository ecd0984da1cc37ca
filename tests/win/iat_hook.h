// Replaces one imported function of a loaded module by patching its import
// address table: the tests see exactly what the DLL passes to the system (the
// shell's tray calls, message boxes, beeps) without a seam in the product.
#pragma once

#include <windows.h>

namespace testhost {

class IatHook {
public:
    IatHook(HMODULE module, const char* dll, const char* function, void* replacement);
    ~IatHook();
    IatHook(const IatHook&) = delete;
    IatHook& operator=(const IatHook&) = delete;
    bool Installed() const { return m_slot != nullptr; }
    void* Original() const { return m_original; }

private:
    void** m_slot = nullptr;
    void* m_original = nullptr;
};

} // namespace testhost
