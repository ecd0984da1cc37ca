// The prompt pages.
#include "settings/prompt_page.h"
#include "win/help.h"

#include <string>
#include <utility>

#include "core/retention.h"
#include "resource.h"
#include "settings_res.h"
#include "win/window.h"

namespace nuntio {

namespace {

constexpr const char* kSkinNames[] = {"风格一", "风格二", "风格三"};
constexpr int kPreviews[] = {IDB_PREVIEW1, IDB_PREVIEW2, IDB_PREVIEW3};

void SetCheck(HWND button, bool on) {
    ::SendMessageA(button, BM_SETCHECK, on ? BST_CHECKED : BST_UNCHECKED, 0);
}

// A signed number from an edit; 0 when the field is empty or not a number.
int32_t ReadInt(HWND page, int id) {
    BOOL ok = FALSE;
    const int value = static_cast<int>(::GetDlgItemInt(page, id, &ok, TRUE));
    return ok ? value : 0;
}

} // namespace

CNormalSetPage::CNormalSetPage(int templateId, bool trade) : CPropPage(templateId), m_bTrade(trade) {}

CAlertNormalSetPage::CAlertNormalSetPage() : CNormalSetPage(IDD_ALERT_PROMPT_PAGE, false) {}

CTradeNormalSetPage::CTradeNormalSetPage() : CNormalSetPage(IDD_TRADE_PROMPT_PAGE, true) {}

BOOL CNormalSetPage::OnInitDialog() {
    m_hByDate = Item(IDC_PS_BY_DATE);
    m_hDays = Item(IDC_PS_DAYS);
    m_hByCount = Item(IDC_PS_BY_COUNT);
    m_hCount = Item(IDC_PS_COUNT);
    m_hNoPrompt = Item(IDC_PS_NO_PROMPT);
    m_hPopup = Item(IDC_PS_POPUP);
    m_hSkin = Item(IDC_PS_SKIN);
    m_hPreview = Item(IDC_PS_PREVIEW);
    // A picture does not delete its bitmaps: the page owns them, the
    // template's included.
    m_preview.Reset(reinterpret_cast<HBITMAP>(::SendMessageA(m_hPreview, STM_GETIMAGE, IMAGE_BITMAP, 0)));

    for (const char* name : kSkinNames)
        ::SendMessageA(m_hSkin, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(name));
    // The spinners go over the whole range the page accepts, up adding one.
    ::SendMessageA(Item(IDC_PS_DAYS_SPIN), UDM_SETRANGE32, kMinKeepDays, kMaxKeepDays);
    ::SendMessageA(Item(IDC_PS_COUNT_SPIN), UDM_SETRANGE32, kMinKeepCount, kMaxKeepCount);

    if (m_bTrade) {
        if (m_setting.m_nPromptMode != 0)
            ChoosePopup();
        else
            ChooseNoPrompt();
    }
    // The alert page keeps its prompt radios disabled and unchecked; the
    // prompt mode passes through.
    if (m_setting.m_nKeepMode == 1) {
        ChooseByDate();
        ::SetDlgItemInt(m_hwnd, IDC_PS_DAYS, static_cast<UINT>(m_setting.m_nKeepLimit), TRUE);
    } else {
        ChooseByCount();
        ::SetDlgItemInt(m_hwnd, IDC_PS_COUNT, static_cast<UINT>(m_setting.m_nKeepLimit), TRUE);
    }
    // A style outside 0 to 2 selects nothing and keeps the template's picture.
    ::SendMessageA(m_hSkin, CB_SETCURSEL, static_cast<WPARAM>(m_setting.m_nPopupStyle), 0);
    OnSkinChange();
    CentrePreview();
    ::SetDlgItemInt(m_hwnd, IDC_PS_STAY, static_cast<UINT>(m_setting.m_nStaySeconds), TRUE);
    return TRUE;
}

void CNormalSetPage::ChooseByCount() {
    SetCheck(m_hByCount, true);
    SetCheck(m_hByDate, false);
    ::EnableWindow(m_hCount, TRUE);
    ::EnableWindow(m_hDays, FALSE);
    m_setting.m_nKeepMode = 2;
}

void CNormalSetPage::ChooseByDate() {
    SetCheck(m_hByDate, true);
    SetCheck(m_hByCount, false);
    ::EnableWindow(m_hDays, TRUE);
    ::EnableWindow(m_hCount, FALSE);
    m_setting.m_nKeepMode = 1;
}

void CNormalSetPage::ChooseNoPrompt() {
    SetCheck(m_hNoPrompt, true);
    SetCheck(m_hPopup, false);
    m_setting.m_nPromptMode = 0;
}

void CNormalSetPage::ChoosePopup() {
    SetCheck(m_hPopup, true);
    SetCheck(m_hNoPrompt, false);
    m_setting.m_nPromptMode = 1;
}

void CNormalSetPage::OnSkinChange() {
    const LRESULT n = ::SendMessageA(m_hSkin, CB_GETCURSEL, 0, 0);
    if (n < 0 || n > 2) return;
    m_setting.m_nPopupStyle = static_cast<int32_t>(n);
    // The live popup keeps its skin until the sheet ends with OK.
    win::UniqueBitmap bitmap(static_cast<HBITMAP>(
        ::LoadImageA(win::Instance(), MAKEINTRESOURCEA(kPreviews[n]), IMAGE_BITMAP, 0, 0, LR_DEFAULTCOLOR)));
    if (!bitmap) return;
    ShowPreview(std::move(bitmap));
    CentrePreview();
}

void CNormalSetPage::ShowPreview(win::UniqueBitmap bitmap) {
    ::SendMessageA(m_hPreview, STM_SETIMAGE, IMAGE_BITMAP, reinterpret_cast<LPARAM>(bitmap.Get()));
    m_preview = std::move(bitmap);
}

void CNormalSetPage::CentrePreview() {
    RECT box{PS_PREVIEW_X, PS_PREVIEW_Y, PS_PREVIEW_X + PS_PREVIEW_W, PS_PREVIEW_Y + PS_PREVIEW_H};
    ::MapDialogRect(m_hwnd, &box);
    win::CentreIn(m_hPreview, box);
    ::InvalidateRect(m_hwnd, &box, TRUE);
}

void CNormalSetPage::OnCommand(int id, int code) {
    if (id == IDC_PS_SKIN) {
        if (code == CBN_SELCHANGE) OnSkinChange();
        return;
    }
    if (code != BN_CLICKED) return;
    switch (id) {
    case IDC_PS_BY_DATE: ChooseByDate(); break;
    case IDC_PS_BY_COUNT: ChooseByCount(); break;
    case IDC_PS_NO_PROMPT:
        if (m_bTrade) ChooseNoPrompt();
        break;
    case IDC_PS_POPUP:
        if (m_bTrade) ChoosePopup();
        break;
    default: break;
    }
}

CNormalSetPage::LimitField CNormalSetPage::Limit() const {
    if (m_setting.m_nKeepMode == kKeepByCount)
        return {IDC_PS_COUNT, kMinKeepCount, kMaxKeepCount, "保存的消息条数"};
    return {IDC_PS_DAYS, kMinKeepDays, kMaxKeepDays, "保存的天数"};
}

std::optional<int32_t> CNormalSetPage::ReadLimit() const {
    const LimitField f = Limit();
    return KeepLimitFromText(win::Window(Item(f.id)).Text(), f.lo, f.hi);
}

std::optional<int32_t> CNormalSetPage::TakeLimit() {
    const std::optional<int32_t> limit = ReadLimit();
    if (limit) return limit;
    const LimitField f = Limit();
    const std::string text =
        std::string(f.what) + "应为" + std::to_string(f.lo) + "到" + std::to_string(f.hi) + "之间的整数。";
    ::MessageBoxA(::GetParent(m_hwnd), text.c_str(), Caption().c_str(), MB_OK | MB_ICONEXCLAMATION);
    FocusField(f.id);
    return std::nullopt;
}

void CNormalSetPage::FocusField(int id) {
    // The dialog manager selects an edit's text as it gives it the focus. A
    // page about to be shown again (the sheet turns to it after a refused OK)
    // is focused once it is.
    HWND sheet = ::GetParent(m_hwnd);
    const WPARAM field = reinterpret_cast<WPARAM>(Item(id));
    if (::IsWindowVisible(m_hwnd))
        ::SendMessageA(sheet, WM_NEXTDLGCTL, field, TRUE);
    else
        ::PostMessageA(sheet, WM_NEXTDLGCTL, field, TRUE);
}

std::string CNormalSetPage::Caption() const {
    return win::Window(::GetParent(m_hwnd)).Text();
}

bool CNormalSetPage::OnKillActive() {
    return TakeLimit().has_value();
}

bool CNormalSetPage::CanApply() {
    const std::optional<int32_t> limit = TakeLimit();
    if (!limit) return false;
    const size_t dropped = m_countDropped ? m_countDropped(m_setting.m_nKeepMode, *limit) : 0;
    if (dropped == 0) return true;
    const std::string text =
        "按此保留设置，将立即删除最早的" + std::to_string(dropped) + "条消息。\n删除后不能恢复，是否继续？";
    if (::MessageBoxA(::GetParent(m_hwnd), text.c_str(), Caption().c_str(),
                      MB_YESNO | MB_ICONEXCLAMATION | MB_DEFBUTTON2) == IDYES)
        return true;
    // No: the category keeps its rule, the sheet stays for another choice.
    FocusField(Limit().id);
    return false;
}

void CNormalSetPage::OnOK() {
    // CanApply has taken the limit.
    if (const std::optional<int32_t> limit = ReadLimit()) m_setting.m_nKeepLimit = *limit;
    const int32_t stay = ReadInt(m_hwnd, IDC_PS_STAY);
    m_setting.m_nStaySeconds = stay < 0 ? 0 : stay;
}

void CNormalSetPage::OnDestroy() {
    // The picture lets go of the bitmap before the page deletes it.
    ShowPreview(win::UniqueBitmap());
}

} // namespace nuntio
