// Host processes the tests start and watch from outside: one that exits
// without unloading the library, a busy one that works until it is killed and
// logs every confirmed operation first (root\kill.log), and a second host
// beside a running one (exit code 100 + the alert rows it found). Shared with
// the tests: starting the library, sending alerts and reading the message
// files.
#pragma once

#include <windows.h>

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

namespace testhost {

// Runs one scenario in this process; returns its exit code.
int RunChildScenario(const std::string& name, const std::string& root);
// Starts this test program as a child running the scenario: its process, or null.
HANDLE StartChild(const std::string& name, const std::string& root);
// Starts the child and waits for it; returns its exit code, or -1 when it could
// not be started.
int SpawnChild(const std::string& name, const std::string& root, unsigned timeoutMs = 30000);

class NuntioDll;
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
