// The two kinds' looks.
#include "categories/category_look.h"

namespace nuntio {

CategoryLook AlertLook() {
    CategoryLook look;
    const char* const headings[10] = {"",         "时间",   "窗口",     "模块",     "商品简称",
                                      "商品代码", "工作区", "报警对象", "报警内容", ""};
    for (int i = 0; i < 10; ++i)
        look.headings[i] = headings[i];
    look.tabName = "报警";
    look.description = "来自平台的报警中心，已触发的报警列表。";
    look.menuIndex = 0;
    look.listId = 4000;
    look.menuId = 24002;
    look.popupMenuId = 21001;
    look.toolBitmapId = 4001;
    look.firstCmd = 24993;
    look.lastCmd = 24999;
    return look;
}

CategoryLook TradeLook() {
    CategoryLook look;
    const char* const headings[10] = {"", "事件", "详细说明", "发生时间", "", "", "", "", "", ""};
    for (int i = 0; i < 10; ++i)
        look.headings[i] = headings[i];
    look.tabName = "交易";
    look.description = "交易和策略交易消息列表。";
    look.menuIndex = 1;
    look.listId = 4001;
    look.menuId = 27002;
    look.popupMenuId = 21001;
    look.toolBitmapId = 5027;
    look.firstCmd = 27993;
    look.lastCmd = 27999;
    return look;
}

} // namespace nuntio
