#include <gtest/gtest.h>

#include "core/vpn/exit_cleanup.h"
#include "tests/support/connection_fakes.h"
#include "tests/support/fakes.h"
#include "tests/support/temp_dir.h"

TEST(ExitCleanup, LeavesNoTunnelNoDialAndNoPhonebook)
{
    TempDir temp;
    for (const char* f : { "TUVEKP.sys", "TUVEKX.sys", "other.sys" })
        writeBytes(temp.file(f), "x");
    DialState dial;
    dial.connectionHandle = 7;
    FakeRemoteAccess ras;
    ras.add(7, "TUVEKP");
    RecordingLauncher launcher;
    ScriptedCapture capture;
    runExitCleanup(dial, { ras, launcher, capture }, "rasdial", "TUVEKP", temp.path());

    EXPECT_EQ(ras.hungUp, std::vector<platform::ConnectionHandle> { 7 });
    EXPECT_EQ(dial.connectionHandle, 0u);
    EXPECT_TRUE(dial.ended);
    EXPECT_EQ(capture.stops, 1);
    EXPECT_EQ(
        launcher.started, (std::vector<std::vector<std::string>> { { "rasdial", "TUVEKP", "/disconnect" } }));
    EXPECT_FALSE(fileExists(temp.file("TUVEKP.sys")));
    EXPECT_FALSE(fileExists(temp.file("TUVEKX.sys")));
    EXPECT_TRUE(fileExists(temp.file("other.sys")));
}

TEST(ExitCleanup, WithoutAConnectionOrPhonebookNothingFails)
{
    TempDir temp;
    DialState dial;
    FakeRemoteAccess ras;
    RecordingLauncher launcher;
    ScriptedCapture capture;
    runExitCleanup(dial, { ras, launcher, capture }, "rasdial", "", temp.path());
    EXPECT_TRUE(ras.hungUp.empty());
    EXPECT_TRUE(launcher.started.empty()) << "no entry prepared, nothing to take down";
    EXPECT_TRUE(dial.ended);
}
