// The prompt pages of the category settings sheet ("消息提示"): retention by
// date or by count, the popup's skin and stay time, and for trade messages
// whether a popup shows at all.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#include "core/config_doc.h"
#include "settings/prop_page.h"
#include "win/handles.h"

namespace nuntio {

// The prompt page on template 24004 (alert) or 24005 (trade). The owner fills
// m_setting before the sheet runs and reads it after OK. The keep limit must
// lie in its range (retention.h) before the page can be left or the sheet
// closed with OK; a rule that would drop stored messages at once asks first.
class CNormalSetPage : public CPropPage {
public:
    CNormalSetPage(int templateId, bool trade);
    PromptSetting m_setting{};
    // How many stored messages a keep mode and limit would drop at once; unset: none.
    std::function<size_t(uint8_t keepMode, int32_t keepLimit)> m_countDropped;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int code) override;
    bool OnKillActive() override;
    bool CanApply() override;
    void OnOK() override;
    void OnDestroy() override;

private:
    // The field of the chosen keep mode, its range and what it holds.
    struct LimitField {
        int id;
        int32_t lo, hi;
        const char* what;
    };
    LimitField Limit() const;
    // The number in the chosen field when it lies in its range.
    std::optional<int32_t> ReadLimit() const;
    // ReadLimit, or else tells the range and puts the focus back into the field.
    std::optional<int32_t> TakeLimit();
    void FocusField(int id);
    // The sheet's caption, for the boxes of the page.
    std::string Caption() const;

    void ChooseByDate();
    void ChooseByCount();
    void ChooseNoPrompt();
    void ChoosePopup();
    void OnSkinChange();
    // Puts the preview bitmap in the middle of the picture's box.
    void CentrePreview();
    // The picture shows bitmap from now on; the one it showed goes.
    void ShowPreview(win::UniqueBitmap bitmap);

    const bool m_bTrade;
    HWND m_hByDate = nullptr;
    HWND m_hDays = nullptr;
    HWND m_hByCount = nullptr;
    HWND m_hCount = nullptr;
    HWND m_hNoPrompt = nullptr;
    HWND m_hPopup = nullptr;
    HWND m_hSkin = nullptr;
    HWND m_hPreview = nullptr;
    // What the picture shows: the template's bitmap, then the chosen skin's.
    win::UniqueBitmap m_preview;
};

class CAlertNormalSetPage : public CNormalSetPage {
public:
    CAlertNormalSetPage();
};

class CTradeNormalSetPage : public CNormalSetPage {
public:
    CTradeNormalSetPage();
};

} // namespace nuntio
