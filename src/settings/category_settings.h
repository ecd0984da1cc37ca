// The category settings sheet ("报警设置" / "交易设置") and the alert property
// dialog, as the categories and the export run them.
#pragma once

#include "nuntio.h"

class CMsgCategory;

namespace nuntio {
// Runs the category's settings sheet. On OK: the prompt settings are copied
// back into the configuration (and, for alerts, the default alert flags are
// stored), the skin is reloaded, the configuration is saved and retention
// runs. Returns true for OK; Cancel changes nothing.
bool RunCategorySettings(CMsgCategory& category);
// The modal alert property dialog (template 4017) over prop. 1 for OK with
// prop written, 0 otherwise with prop untouched.
int RunAlertPropertyDlg(AlertProperty& prop);
} // namespace nuntio
