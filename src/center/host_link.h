// What the message-center window asks of the module that made it: the host's
// main window and the user's default alert flags.
#pragma once

#include <windows.h>

#include "nuntio.h"

namespace nuntio {

class IHostLink {
public:
    virtual HWND HostWindow() = 0;
    virtual AlertProperty AlertDefaults() = 0;
    virtual void SetAlertDefaults(const AlertProperty& prop) = 0;

protected:
    ~IHostLink() = default;
};

} // namespace nuntio
