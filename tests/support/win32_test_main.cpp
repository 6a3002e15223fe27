#include <windows.h>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    // A crash must fail the run, not open a dialog that waits for ever under Wine.
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
