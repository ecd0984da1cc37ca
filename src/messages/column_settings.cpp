#include "messages/column_settings.h"

#include "categories/msg_category.h"

namespace nuntio {
bool RunColumnSettings(CMsgCategory& /*category*/) { return false; }
} // namespace nuntio
