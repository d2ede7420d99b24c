#pragma once

#include <memory>
#include <mutex>

#include "platform/process_capture.h"

namespace platform {

// posix_spawnp with standard output on a pipe, standard input and error on
// /dev/null. The pipe is polled at a fixed interval with a peek at how much is
// waiting, as the dial tool writes little and slowly.
class PosixProcessCapture final : public ProcessCapture {
public:
    PosixProcessCapture() = default;
    // Shorter intervals are for tests.
    PosixProcessCapture(int pollIntervalMs, int terminateGraceMs)
        : pollIntervalMs_(pollIntervalMs)
        , terminateGraceMs_(terminateGraceMs)
    {
    }

    CaptureResult runAndCapture(const std::vector<std::string>& argv, std::string_view input = {}) override;
    void stopRunning() override;

    // Process id of the program the latest run started, 0 before the first.
    int lastChildPid() const;

    static constexpr std::size_t kBufferBytes = 5000;
    static constexpr std::size_t kChunkBytes = 4096;

private:
    struct Child;
    void endPreviousChild();
    static int spawnWithPipe(
        const std::vector<std::string>& argv, int inputEnd, int writeEnd, CaptureResult::Failure& failure);

    int pollIntervalMs_ = 100;
    // How long an earlier program gets to end on SIGTERM before SIGKILL.
    int terminateGraceMs_ = 1000;
    std::mutex startLock_; // ending the previous child and starting the next are one step
    mutable std::mutex lastLock_;
    std::shared_ptr<Child> last_;
};

} // namespace platform
