// The category settings sheet ("报警设置" / "交易设置") and the alert property
// dialog: values in, results out.
#pragma once

#include <windows.h>

#include <cstddef>
#include <cstdint>
#include <functional>

#include "core/config_doc.h"
#include "nuntio.h"

namespace nuntio {

struct CategorySettings {
    int kind = 0;                  // 0 the alert sheet (prompt and action pages), 1 the trade sheet
    PromptSetting prompt{};        // in and out
    AlertProperty alertDefaults{}; // the alert sheet's action page: in and out
    // How many stored messages a keep mode and limit would drop at once.
    std::function<size_t(uint8_t keepMode, int32_t keepLimit)> countDropped;
};

// Runs the sheet modally for owner. True for OK with the new values in
// settings; Cancel changes nothing.
bool RunCategorySettings(HWND owner, CategorySettings& settings);

// The modal alert property dialog (template 4017) over prop, owned by the
// calling thread's active window. 1 for OK with prop written, 0 otherwise
// (also while one is already up, which then comes forward).
int RunAlertPropertyDlg(AlertProperty& prop);

} // namespace nuntio
