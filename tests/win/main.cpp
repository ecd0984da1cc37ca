// The Wine test program's entry: GoogleTest, or, with --child SCENARIO ROOT, a
// short-lived host process that a test starts and then inspects from outside
// (files written at process exit, a host killed mid-run).
#include <gtest/gtest.h>

#include <cstring>

#include "child_scenarios.h"

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--child") == 0)
        return testhost::RunChildScenario(argv[2], argv[3]);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
