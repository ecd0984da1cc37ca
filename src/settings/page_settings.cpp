#include "settings/page_settings.h"

#include "categories/msg_category.h"

namespace nuntio {
bool RunPageSettings(CMsgCategory& /*category*/) { return false; }
} // namespace nuntio
