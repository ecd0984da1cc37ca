// The message-center window: a modeless top-level dialog with one tab per
// message category along its bottom edge. Closing or minimising only hides it.
#pragma once

#include "nuntio.h"
#include "win/dialog.h"

class CMsgCenterDlg : public win::Dialog {
public:
    static constexpr int kPages = 2;

    // Creates the hidden window from its template; false when that fails.
    bool Create(HWND parent);

    // Delivery of one message record: 1 delivered, 0 refused.
    int32_t RouteMessage(const InboundMessage& message);
    int SelectPage(int page);
    int ActivePage() const { return m_nActivePage; }
    int ShowCenter();
    int HideCenter();
    bool IsCenterVisible() const { return m_bVisible; }

protected:
    INT_PTR HandleMessage(UINT msg, WPARAM wp, LPARAM lp) override;

private:
    BOOL OnInitDialog();
    void OnSize(int cx, int cy);
    INT_PTR OnSysCommand(WPARAM wp, LPARAM lp);
    INT_PTR OnNotify(const NMHDR& hdr);

    int m_nActivePage = -1;
    bool m_bVisible = false;
    bool m_bFirstShow = true;
    win::Window m_tabs;
};
