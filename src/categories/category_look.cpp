// The two kinds' looks.
#include "categories/category_look.h"

namespace nuntio {

CategoryLook AlertLook() {
    return {.headings = {"", "时间", "窗口", "模块", "商品简称", "商品代码", "工作区", "报警对象", "报警内容",
                         ""},
            .tabName = "报警",
            .description = "来自平台的报警中心，已触发的报警列表。",
            .menuIndex = 0,
            .listId = 4000,
            .menuId = 24002,
            .popupMenuId = 21001,
            .toolBitmapId = 4001,
            .firstCmd = 24993,
            .lastCmd = 24999};
}

CategoryLook TradeLook() {
    return {.headings = {"", "事件", "详细说明", "发生时间", "", "", "", "", "", ""},
            .tabName = "交易",
            .description = "交易和策略交易消息列表。",
            .menuIndex = 1,
            .listId = 4001,
            .menuId = 27002,
            .popupMenuId = 21001,
            .toolBitmapId = 5027,
            .firstCmd = 27993,
            .lastCmd = 27999};
}

} // namespace nuntio
