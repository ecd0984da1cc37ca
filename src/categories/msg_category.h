// A message category: one tab of the message-center window with its list
// view, menus, toolbar, popup notifier and configuration. CMsgCategory holds
// what both kinds share; CMsgListCategory adds the message list of one message
// class; CAlertCategory and CTradeCategory supply the kind's texts and actions.
//
// The list view is virtual (owner data): rows are drawn from the message list
// on demand, so a hundred thousand stored messages cost about their record
// bytes and start in a moment. The view keeps only the selection, which the
// category shifts itself when rows are inserted or removed above it.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "categories/category_look.h"
#include "categories/category_sink.h"
#include "core/session.h"
#include "win/handles.h"
#include "win/toolbar.h"
#include "core/config_doc.h"
#include "core/found_messages.h"
#include "core/result_codes.h"
#include "notify/taskbar_notifier.h"
#include "nuntio.h"

namespace nuntio {

class CMsgCategory {
public:
    // The image list is shared: the category owns it and gives it to the
    // find window's list too.
    static constexpr DWORD kListStyle = WS_CHILD | WS_VISIBLE | WS_BORDER | WS_TABSTOP | LVS_REPORT |
                                        LVS_SHOWSELALWAYS | LVS_SHAREIMAGELISTS | LVS_NOSORTHEADER |
                                        LVS_OWNERDATA;
    static constexpr DWORD kListExStyle = LVS_EX_HEADERDRAGDROP | LVS_EX_FULLROWSELECT |
                                          LVS_EX_ONECLICKACTIVATE | LVS_EX_REGIONAL | LVS_EX_HIDELABELS;
    static_assert((kListStyle & ~LVS_OWNERDATA) == 0x50818049 && kListExStyle == 0x00020270);
    static constexpr int kBottomMargin = 40;
    static constexpr int kToolBarBand = 28;
    static constexpr int kHeaderImage = 3;
    // Deleting rows clears the selection marks left inside the list one by
    // one up to this many (see RowsDeleted).
    static constexpr size_t kMarksClearedOneByOne = 256;
    // In a flood of messages the shown list is drawn at most this often (ms).
    static constexpr DWORD kFloodRedrawMs = 100;

    // config: the category's configuration, kept by the message model of the
    // derived class.
    CMsgCategory(nuntio::CConfigDoc& config, CategoryLook look);
    virtual ~CMsgCategory();
    CMsgCategory(const CMsgCategory&) = delete;
    CMsgCategory& operator=(const CMsgCategory&) = delete;

    // ---- what the window drives ----
    // kDone, or the first step that failed; a category that failed is let
    // go with Abandon, which writes nothing.
    uint32_t Create(HWND parent, const nuntio::Session& session, ICategorySink& sink, const char* cfgName);
    virtual void Abandon() = 0;
    uint32_t Show(bool show);
    void Resize(UINT type, int cx, int cy);
    // The window moved to a monitor of another DPI (or was created on one):
    // the list's fonts, icons and column widths and the toolbar follow.
    void SetDpi(int dpi);
    int Dpi() const { return m_dpi; }
    uint32_t ToggleToolBar(bool showNow);
    virtual uint32_t Close();
    virtual uint32_t AddMessage(const InboundMessage& message) = 0;
    virtual uint32_t NotifyMessage(const InboundMessage* message) = 0;
    virtual uint32_t OnOpenMessage() = 0;
    virtual uint32_t OnCategoryCommand(HWND owner, WPARAM wp, LPARAM lp);
    virtual uint32_t OnListNotify(HWND owner, UINT_PTR id, NMHDR* hdr, LRESULT* result);

    // ---- shared operations ----
    uint32_t InitColumns();
    uint32_t CreateImageList();
    uint32_t ZoomFont(bool enlarge);
    // Gives target this list's columns, icons and look (and no rows); the
    // slots of its text columns, in column order.
    std::vector<int> SetupColumns(HWND target);
    // Selects the row at pos and scrolls it into view.
    void RevealRow(int pos);
    void ClearSelection();
    void HideNotifier() { m_notifier.Hide(); }
    // Lets the view draw again after a burst of rows (see HoldRedraw).
    void ResumeRedraw();
    std::string TakeStartupNotice();

    // ---- the message list (template part) ----
    virtual int GetMsgCount() const = 0;
    virtual int32_t GetMsgSerial(int pos) const = 0;
    virtual uint32_t GetMsgImage(int pos) const = 0;
    virtual uint32_t SetMsgImage(int pos, int image) = 0;
    virtual uint32_t DeleteSelected() = 0;
    virtual uint32_t DeleteAll() = 0;
    virtual uint32_t DeleteListed(const std::vector<int32_t>& serials) = 0;
    virtual uint32_t SetImageOfSerial(int32_t serial, int image) = 0;
    virtual uint32_t ApplyRetention() = 0;
    // How many messages ApplyRetention would drop now under that rule.
    virtual size_t CountRetention(uint8_t keepMode, int32_t keepLimit) const = 0;
    // The messages whose searched fields hold keyword, newest first: copies
    // that outlast the messages, and the way back to those still listed.
    virtual std::unique_ptr<nuntio::IFoundMessages> SearchMessages(const std::string& keyword) const = 0;

    // ---- the kind's texts and actions ----
    virtual int RowImage(int pos) const = 0;
    virtual std::string RowText(int pos, int slot) const = 0;
    virtual bool MatchMessage(const std::string& text, int pos) const = 0;
    virtual uint32_t ActivateSource(int pos) = 0;
    virtual uint32_t ShowContextMenu(HWND owner);
    // WM_CONTEXTMENU of the list: at the mouse, or for -1 (the keyboard) at the focused row.
    uint32_t ShowContextMenuAt(HWND owner, LPARAM where);
    // The keys of the category's menus while the window has the keyboard;
    // true when msg now carries the message they stand for.
    bool TranslateKey(HWND owner, MSG& msg);
    // Command 4 of the category: its settings sheet; OK saves the
    // configuration and runs retention.
    uint32_t OnCategorySettings();

    // ---- accessors ----
    HWND ListHandle() const { return m_hList; }
    const char* TabName() const { return m_look.tabName.c_str(); }
    const char* Description() const { return m_look.description.c_str(); }
    int ListId() const { return m_look.listId; }
    int LastCmd() const { return m_look.lastCmd; }
    HMENU MenuBar() const { return m_hMenuBar.Get(); }
    HMENU PopupSubMenu() const;
    bool ToolBarShown() const { return m_nToolBarShown != 0; }
    nuntio::CConfigDoc& Config() { return m_config; }
    HWND Parent() const { return m_hParent; }
    HIMAGELIST ImageList() const { return m_imageList.Get(); }
    // 0 alert, 1 trade: the kind of the settings sheet.
    virtual int Kind() const = 0;

    // ---- for the settings windows ----
    // The working font the list is drawn with; ApplyFonts remakes the list's
    // and header's fonts from it (the header drops italic, underline, strike-out).
    LOGFONTA& WorkingFont() { return m_lfWork; }
    void ApplyFonts();
    // Text colour, text and list background, image-list background from the
    // configuration.
    void ApplyColors();
    // Reloads the popup skin chosen by m_nPopupStyle and its text area.
    void LoadSkin();
    // Stores the current header order of the shown columns as their positions.
    void ReadBackPositions();
    // Rebuilds columns and rows after the column choice changed.
    void RebuildColumns();
    // Commands 3 and 2 of the category: the column dialog and the font and
    // colour sheet.
    uint32_t OnColumnSettings();
    uint32_t OnPageSettings();

protected:
    // Loads the message file into the list and replays a journal left by a
    // crash; the startup notice names what was damaged and kept aside.
    virtual void LoadMessages() = 0;
    // Writes the message file whole; false when it could not be written.
    virtual bool SaveMessages() = 0;
    // True while another process holds this category's files: nothing is written.
    virtual bool SharesStore() const { return false; }
    // Adds a sentence to the notice the window shows at its first show.
    void AddNotice(const std::string& text);
    // Tells the user now, in the window's status bar, and at the first show.
    void ReportNotice(const std::string& text);
    // Makes the rows match the message list (the view is virtual).
    void FillList();
    // The list grew by one row at the top (insertSelected: select it).
    void RowInsertedAtTop(bool select);
    // `count` rows at the bottom are gone.
    void RowsRemovedAtBottom(int count);
    // Rows were deleted in one go; `marked` are the rows the view showed
    // selected before. No row stays selected but `select` (when it is a row),
    // which also takes the focus.
    void RowsDeleted(const std::vector<int>& marked, int select);
    // While the window is shown, a burst of arriving messages draws the list
    // once: the view stops drawing (scroll bars included) at the first row of
    // a burst and draws again (ResumeRedraw) when the host's message loop next
    // runs. Rows, selection and focus change at once all the same.
    void HoldRedraw();
    const std::vector<int>& SelectedRows() const;
    // Clears the rows `off` and selects the rows `on` (the caller keeps m_selRows).
    void SetSelectionStates(const std::vector<int>& off, const std::vector<int>& on);
    void SelectRow(int pos, bool select);
    void UpdateDeleteCommands();
    uint32_t TrackContextMenu(HWND owner, POINT pt);
    void ReadBackWidths();
    void OnGetDispInfo(NMLVDISPINFOA& info) const;
    // List-view column index -> slot, for the shown slots in slot order.
    std::vector<int> ShownSlots() const;

    HWND m_hParent = nullptr;
    ICategorySink* m_sink = nullptr;
    nuntio::IFileSystem* m_fs = nullptr;
    win::UniqueImageList m_imageList;
    std::vector<win::UniqueImageList> m_retiredImageLists; // made for an earlier DPI
    HWND m_hList = nullptr;
    win::UniqueMenu m_hMenuBar;
    win::UniqueMenu m_hPopupMenu;
    win::Toolbar m_toolbar;
    nuntio::CConfigDoc& m_config;
    const CategoryLook m_look;
    CTaskbarNotifier m_notifier;
    win::UniqueFont m_hListFont;
    LOGFONTA m_lfWork{};
    win::UniqueFont m_hHeaderFont;
    LOGFONTA m_lfHeader{};
    int m_nToolBarShown = 0;
    int m_dpi = 96; // what the list's fonts, icons and widths are made for
    std::string m_strStartupNotice;
    mutable std::string m_strDispText; // keeps the text handed to the list view alive
    // The selected rows as this category last set or read them; valid while
    // m_bSelKnown (the view reported no change of its own since).
    mutable std::vector<int> m_selRows;
    mutable bool m_bSelKnown = false;
    int m_nOwnSelChange = 0;     // inside a selection change of ours
    int m_nMovingSelection = 0;  // inside SetSelectionStates, whose caller sets m_selRows itself
    bool m_bRedrawHeld = false;  // the view draws nothing until ResumeRedraw
    DWORD m_dwRedrawResumed = 0; // tick count of the last ResumeRedraw
};

} // namespace nuntio
