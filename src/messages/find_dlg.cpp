#include "messages/find_dlg.h"

class CFindDlgImpl {};

CFindDlg::CFindDlg() = default;
CFindDlg::~CFindDlg() = default;
void CFindDlg::Open(HWND /*center*/, CMsgCategory* /*alert*/, CMsgCategory* /*trade*/, const char* /*iniPath*/) {}
void CFindDlg::Destroy() { m_impl.reset(); }
HWND CFindDlg::Handle() const { return nullptr; }
