// Host processes the tests start and watch from outside.
#pragma once

#include <windows.h>

#include <string>

namespace testhost {

// Runs one scenario in this process; returns its exit code.
int RunChildScenario(const std::string& name, const std::string& root);
// Starts this test program as a child running the scenario: its process, or null.
HANDLE StartChild(const std::string& name, const std::string& root);
// Starts the child and waits for it; returns its exit code, or -1 when it could
// not be started.
int SpawnChild(const std::string& name, const std::string& root, unsigned timeoutMs = 30000);

} // namespace testhost
