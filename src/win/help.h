// Help topics of the host application's compiled HTML help file, and the
// DLL's own instance handle: what every window of the library may need.
#pragma once

#include <windows.h>

namespace win {

// The DLL's instance: resources and window classes come from here, never
// from the host's module. Valid before any constructor runs.
HINSTANCE Instance();

// Opens a topic ("::/...") of the host application's compiled HTML help file
// (the host executable's path with ".chm"); silent on failure.
void ShowHelpTopic(const char* topic);

} // namespace win
