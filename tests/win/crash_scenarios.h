// Host processes of the crash tests: one that works until it is killed and
// logs every confirmed operation, and a second host beside a running one.
// Shared with the tests: starting the library, sending alerts and reading the
// message files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testhost {

// The host processes: a busy host that works until it is killed (it logs each
// operation to root\kill.log first), and a second host beside the test's own
// (exit code 100 + the alert rows it found).
int KillHost(const std::string& root);
int SecondHost(const std::string& root);

class NuntioDll;
// Starts the library on root for trader01: the message-center window, or null.
HWND StartOn(NuntioDll& dll, const std::string& root);
// Sends alerts with these contents; false at the first one refused.
bool SendAlerts(NuntioDll& dll, std::initializer_list<const char*> texts);

// One stored message as the files hold it: serial number, icon and the
// text the tests put in it (alerts: the content, trades: the detail).
struct StoredMsg {
    int32_t serial = 0;
    int32_t image = 0;
    std::string text;
};
// The messages of a file of alerts (trade = false) or trade messages, read by
// the core's own decoder; a file that is not whole, or that repeats a serial
// number, fails the test.
std::vector<StoredMsg> ReadStored(const std::string& path, bool trade);

// The alert list's delete command.
constexpr int kAlertDeleteCmd = 24993;

} // namespace testhost
