#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <future>
#include <sys/resource.h>
#include <thread>
#include <fcntl.h>
#include <unistd.h>

#include "platform/linux/posix_process_capture.h"

using platform::CaptureResult;
using platform::PosixProcessCapture;
using Clock = std::chrono::steady_clock;

namespace {

CaptureResult runShell(PosixProcessCapture& capture, const std::string& script)
{
    return capture.runAndCapture({ "sh", "-c", script });
}

bool processGone(int pid)
{
    return kill(pid, 0) != 0 && errno == ESRCH;
}

} // namespace

TEST(ProcessCapture, CollectsOutputWrittenInPiecesWithPauses)
{
    PosixProcessCapture capture;
    const auto start = Clock::now();
    const auto r = runShell(capture,
        "printf 'Connecting'; sleep 0.3; printf '...\\n'; sleep 0.3; "
        "echo 'Command completed successfully.'");
    EXPECT_EQ(r.failure, CaptureResult::Failure::None);
    EXPECT_EQ(r.output, "Connecting...\nCommand completed successfully.\n");
    EXPECT_GE(Clock::now() - start, std::chrono::milliseconds(600));
}

TEST(ProcessCapture, KeepsEverythingAProgramWritesJustBeforeItEnds)
{
    // More than one chunk, written at once by a program that ends at once:
    // most of it is still in the pipe when the program is found to have ended.
    PosixProcessCapture capture(10, 1000);
    const auto big = runShell(capture, "head -c 20000 /dev/zero | tr '\\0' x");
    EXPECT_EQ(big.output, std::string(20000, 'x'));
    for (int i = 0; i < 20; ++i)
        ASSERT_EQ(runShell(capture, "printf last").output, "last") << "run " << i;
}

TEST(ProcessCapture, OnlyStandardOutputIsCapturedAndInputIsEmpty)
{
    PosixProcessCapture capture;
    // cat ends at once on /dev/null; the error line goes nowhere.
    const auto r = runShell(capture, "cat; echo out; echo err >&2");
    EXPECT_EQ(r.output, "out\n");
}

TEST(ProcessCapture, FailureTexts)
{
    PosixProcessCapture capture;
    struct Case {
        std::vector<std::string> argv;
        CaptureResult::Failure failure;
        const char* text;
    };
    const Case cases[] = {
        { { "zavtrel-no-such-program" }, CaptureResult::Failure::Process, "can not create process" },
        { { "/nonexistent/rasdial", "TUVEKP" }, CaptureResult::Failure::Process, "can not create process" },
        { {}, CaptureResult::Failure::Process, "can not create process" },
    };
    for (const auto& c : cases) {
        const auto r = capture.runAndCapture(c.argv);
        EXPECT_EQ(r.failure, c.failure) << (c.argv.empty() ? "" : c.argv[0]);
        EXPECT_EQ(r.output, c.text);
    }
}

TEST(ProcessCapture, PipeFailureWhenNoDescriptorsAreLeft)
{
#ifdef __SANITIZE_ADDRESS__
    // The sanitizers test memory through a pipe of their own; without free
    // descriptors that fails and they report a fault that is not there.
    GTEST_SKIP() << "needs free descriptors under the sanitizers";
#endif
    PosixProcessCapture capture;
    // The lowest free descriptor is the only one left under the limit, so a
    // pipe (two descriptors) cannot be made.
    const int probe = open("/dev/null", O_RDONLY);
    ASSERT_GE(probe, 0);
    close(probe);
    rlimit saved {};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    rlimit tight = saved;
    tight.rlim_cur = static_cast<rlim_t>(probe + 1);
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    const auto r = capture.runAndCapture({ "true" });
    setrlimit(RLIMIT_NOFILE, &saved);
    EXPECT_EQ(r.failure, CaptureResult::Failure::Pipe);
    EXPECT_EQ(r.output, "Can not create pipe!");
}

TEST(ProcessCapture, ASecondRunEndsTheFirstRunsProgram)
{
    PosixProcessCapture capture;
    auto first
        = std::async(std::launch::async, [&] { return runShell(capture, "echo dialing; exec sleep 30"); });
    // Wait until the first program is running and has written its line.
    int firstPid = 0;
    for (int i = 0; i < 200 && firstPid == 0; ++i) {
        firstPid = capture.lastChildPid();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(firstPid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));

    const auto start = Clock::now();
    const auto second = runShell(capture, "echo second");
    EXPECT_EQ(second.output, "second\n");
    ASSERT_EQ(first.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    // The first run ends with what its program had written by then.
    EXPECT_EQ(first.get().output, "dialing\n");
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(3));
    EXPECT_TRUE(processGone(firstPid));
    EXPECT_NE(capture.lastChildPid(), firstPid);
}

TEST(ProcessCapture, AProgramThatIgnoresSigtermIsKilled)
{
    PosixProcessCapture capture(100, 300);
    auto first = std::async(std::launch::async,
        [&] { return runShell(capture, "trap '' TERM; echo stubborn; while :; do sleep 0.1; done"); });
    int firstPid = 0;
    for (int i = 0; i < 200 && firstPid == 0; ++i) {
        firstPid = capture.lastChildPid();
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    ASSERT_NE(firstPid, 0);
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    EXPECT_EQ(runShell(capture, "echo next").output, "next\n");
    ASSERT_EQ(first.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(first.get().output, "stubborn\n");
    EXPECT_TRUE(processGone(firstPid));
}
