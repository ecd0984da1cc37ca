// The modeless find window (template 5034), owned by the message-center window.
#pragma once

#include <windows.h>

#include <memory>

namespace nuntio {

class CFindDlgImpl;
class IFindOwner;

class CFindDlg {
public:
    CFindDlg();
    ~CFindDlg();
    CFindDlg(const CFindDlg&) = delete;
    CFindDlg& operator=(const CFindDlg&) = delete;

    // Command 32805: creates the window when it does not exist (placed from
    // section "FindDlg" of iniPath), shows it and brings it forward.
    void Open(HWND center, IFindOwner& owner, const char* iniPath);
    // Destroys the window when it exists (the center is being hidden).
    void Destroy();
    HWND Handle() const;

private:
    std::unique_ptr<CFindDlgImpl> m_impl;
};

} // namespace nuntio
