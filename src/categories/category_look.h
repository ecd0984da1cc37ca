// What a category looks like and which ids it answers to: its column
// headings, tab caption and description, and the ids of its list, menus,
// toolbar strip and command range. Fixed per kind; nothing of it is stored.
#pragma once

#include <string>

namespace nuntio {

struct CategoryLook {
    std::string headings[10]; // per column slot; slot 0 is the icon column
    std::string tabName;
    std::string description; // the status bar's text while the tab is shown
    int menuIndex = 0;       // the category's sub-menu of the shared context menu
    int listId = 0;
    int menuId = 0;
    int popupMenuId = 0;
    int toolBitmapId = 0; // also the toolbar's control id
    int firstCmd = 0;
    int lastCmd = 0;
};

CategoryLook AlertLook();
CategoryLook TradeLook();

} // namespace nuntio
