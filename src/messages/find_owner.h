// What the find window asks of the window that owns it: the pages it can
// search, their columns, the search itself, and showing or opening what it found.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/found_messages.h"

namespace nuntio {

class IFindOwner {
public:
    // The tab shown (0 alerts, 1 trades).
    virtual int ActivePage() = 0;
    // The tab's caption; null for a page that does not exist.
    virtual const char* PageName(int page) = 0;
    // Gives list the page's columns and icons (and no rows); the slots of the
    // text columns, in column order.
    virtual std::vector<int> SetupColumns(int page, HWND list) = 0;
    // Copies of the page's messages that hold keyword.
    virtual std::unique_ptr<IFoundMessages> Search(int page, const std::string& keyword) = 0;
    // Shows the page with its row pos selected and scrolled into view.
    virtual void Reveal(int page, int pos) = 0;
    // Opens the message at pos (an alert's source window comes forward).
    virtual void Open(int page, int pos) = 0;

protected:
    ~IFindOwner() = default;
};

} // namespace nuntio
