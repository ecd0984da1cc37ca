// The demo's guided tour: it walks the message center through its windows and
// saves a picture of the screen at each stop, for the README and for a quick
// look at what a trader sees.
#pragma once

#include <windows.h>

#include <string>

namespace demo {

// Starts the tour on the demo's main window; each stop saves DIR\NAME.bmp.
// The tour ends by closing the main window.
void StartTour(HWND mainWindow, HWND center, const std::string& dir);
// A shorter tour showing the popup with the given skin (0 to 2) for one alert
// and one trade message: DIR\popup-skinN-alert.bmp and -trade.bmp.
void StartPopupTour(HWND mainWindow, HWND center, const std::string& dir, int skin);
// Chooses the popup skin of both categories in the user's configuration files
// before Nuntio_Init, as the settings page would: folder is the user's Nuntio folder.
void ChooseSkin(const std::string& folder, int skin);
// The main window's WM_TIMER for the tour's timer id; true when it was the tour's.
bool OnTourTimer(WPARAM id);

} // namespace demo
