#include "settings/category_settings.h"

#include "categories/msg_category.h"

namespace nuntio {
bool RunCategorySettings(CMsgCategory& /*category*/) { return false; }
int RunAlertPropertyDlg(AlertProperty& /*prop*/) { return 0; }
} // namespace nuntio
