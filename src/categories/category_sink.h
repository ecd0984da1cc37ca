// What a category asks of the window it lives in: the tray's flash, the
// status bar, the host's main window and the user's default alert flags.
#pragma once

#include <windows.h>

#include <string>

#include "nuntio.h"

namespace nuntio {

class ICategorySink {
public:
    // Starts the tray icon's flashing (a new message waits to be seen).
    virtual void FlashTray() = 0;
    // Shows text in the status bar now.
    virtual void ShowStatus(const std::string& text) = 0;
    // The host's main window, where its requests go; null when there is none.
    virtual HWND HostWindow() = 0;
    // The user's default alert flags (AlertCentre.ini), read and stored.
    virtual AlertProperty AlertDefaults() = 0;
    virtual void SetAlertDefaults(const AlertProperty& prop) = 0;

protected:
    ~ICategorySink() = default;
};

} // namespace nuntio
