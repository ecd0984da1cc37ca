// The popup that slides out beside the taskbar when a message arrives.
#pragma once

#include <windows.h>

#include <string>

class CTaskbarNotifier {
public:
    CTaskbarNotifier() = default;
    ~CTaskbarNotifier();
    CTaskbarNotifier(const CTaskbarNotifier&) = delete;
    CTaskbarNotifier& operator=(const CTaskbarNotifier&) = delete;

    bool Create(HWND parent);
    bool LoadSkin(int bitmapId, COLORREF transparent);
    void SetFonts(const char* face, int size, int normalStyle, int hoverStyle);
    void SetColors(COLORREF normal, COLORREF hover);
    void SetTextArea(const RECT& rc);
    void ShowPopup(const std::string& text, DWORD showMs, DWORD stayMs, DWORD hideMs);
    void Hide();

    int SkinWidth() const { return m_nSkinWidth; }
    int SkinHeight() const { return m_nSkinHeight; }
    HWND Handle() const { return m_hwnd; }
    const std::string& Text() const { return m_strText; }

private:
    HWND m_hwnd = nullptr;
    HWND m_hParent = nullptr;
    int m_nSkinWidth = 0;
    int m_nSkinHeight = 0;
    std::string m_strText;
};
