#include "platform/linux/posix_process_capture.h"

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "platform/linux/argv_pointers.h"

extern char** environ;

namespace platform {

// A started program. Only the run that started it reaps it (or a reaper
// thread it hands the job to), so its pid stays valid for a signal until
// reaped is set.
struct PosixProcessCapture::Child {
    explicit Child(pid_t p)
        : pid(p)
    {
    }
    const pid_t pid;
    std::mutex lock;
    std::condition_variable ended;
    bool reaped = false;

    // Non-blocking reap; true once the program has ended.
    bool tryReap()
    {
        std::lock_guard g(lock);
        if (reaped)
            return true;
        int status = 0;
        pid_t r;
        do {
            r = waitpid(pid, &status, WNOHANG);
        } while (r < 0 && errno == EINTR);
        // ECHILD: somebody else reaped it (SIGCHLD ignored); it is gone either way.
        if (r == pid || (r < 0 && errno == ECHILD)) {
            reaped = true;
            ended.notify_all();
        }
        return reaped;
    }

    void reapBlocking()
    {
        int status = 0;
        while (waitpid(pid, &status, 0) < 0 && errno == EINTR) { }
        std::lock_guard g(lock);
        reaped = true;
        ended.notify_all();
    }

    void signal(int sig)
    {
        std::lock_guard g(lock);
        if (!reaped)
            kill(pid, sig);
    }

    bool waitEnded(int ms)
    {
        std::unique_lock g(lock);
        return ended.wait_for(g, std::chrono::milliseconds(ms), [this] { return reaped; });
    }
};

namespace {

class Fd {
public:
    explicit Fd(int fd = -1)
        : fd_(fd)
    {
    }
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset()
    {
        if (fd_ >= 0)
            close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// Bytes waiting in the pipe, or -1 when the peek fails.
int waitingBytes(int fd)
{
    int n = 0;
    if (ioctl(fd, FIONREAD, &n) != 0)
        return -1;
    return n;
}

// One read of at most chunk bytes; false when the read fails.
bool readChunk(int fd, char* buf, std::size_t chunk, std::string& out)
{
    ssize_t n;
    do {
        n = read(fd, buf, chunk);
    } while (n < 0 && errno == EINTR);
    if (n < 0)
        return false;
    out.append(buf, static_cast<std::size_t>(n));
    return true;
}

} // namespace

void PosixProcessCapture::endPreviousChild()
{
    std::shared_ptr<Child> previous;
    {
        std::lock_guard g(lastLock_);
        previous = last_;
    }
    if (!previous)
        return;
    {
        std::lock_guard g(previous->lock);
        if (previous->reaped)
            return;
    }
    // SIGTERM first: the dial tool takes down what it had set up so far.
    previous->signal(SIGTERM);
    if (previous->waitEnded(terminateGraceMs_))
        return;
    previous->signal(SIGKILL);
    // Its own run reaps it within one poll interval.
    previous->waitEnded(terminateGraceMs_ + 10 * pollIntervalMs_);
}

void PosixProcessCapture::stopRunning()
{
    std::shared_ptr<Child> latest;
    {
        std::lock_guard g(lastLock_);
        latest = last_;
    }
    if (latest)
        latest->signal(SIGTERM);
}

int PosixProcessCapture::lastChildPid() const
{
    std::lock_guard g(lastLock_);
    return last_ ? last_->pid : 0;
}

int PosixProcessCapture::spawnWithPipe(
    const std::vector<std::string>& argv, int inputEnd, int writeEnd, CaptureResult::Failure& failure)
{
    failure = CaptureResult::Failure::Process;
    if (argv.empty() || argv[0].empty())
        return -1;
    std::vector<char*> args = argvPointers(argv);

    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attr;
    if (posix_spawn_file_actions_init(&actions) != 0) {
        failure = CaptureResult::Failure::Other;
        return -1;
    }
    if (posix_spawnattr_init(&attr) != 0) {
        posix_spawn_file_actions_destroy(&actions);
        failure = CaptureResult::Failure::Other;
        return -1;
    }
    if (inputEnd >= 0)
        posix_spawn_file_actions_adddup2(&actions, inputEnd, STDIN_FILENO);
    else
        posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    // The calling thread may block or ignore signals; the child must still
    // end on SIGTERM and see a broken pipe like any program.
    sigset_t none, defaults;
    sigemptyset(&none);
    sigemptyset(&defaults);
    for (int sig : { SIGTERM, SIGINT, SIGHUP, SIGPIPE, SIGCHLD })
        sigaddset(&defaults, sig);
    posix_spawnattr_setsigmask(&attr, &none);
    posix_spawnattr_setsigdefault(&attr, &defaults);
    posix_spawnattr_setflags(&attr, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    pid_t pid = -1;
    const int rc = posix_spawnp(&pid, args[0], &actions, &attr, args.data(), environ);
    posix_spawnattr_destroy(&attr);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0)
        return -1;
    failure = CaptureResult::Failure::None;
    return pid;
}

CaptureResult PosixProcessCapture::runAndCapture(const std::vector<std::string>& argv, std::string_view input)
{
    std::shared_ptr<Child> child;
    try {
        int fds[2] = { -1, -1 };
        {
            std::lock_guard start(startLock_);
            endPreviousChild();
            if (pipe2(fds, O_CLOEXEC) != 0)
                return { CaptureResult::Failure::Pipe, kPipeFailure };
            // The input is written before the program starts and fits the
            // pipe's buffer, so the write never waits for the program.
            int in[2] = { -1, -1 };
            const bool inputOk = input.empty()
                || (input.size() <= 4096 && pipe2(in, O_CLOEXEC) == 0
                    && write(in[1], input.data(), input.size()) == static_cast<ssize_t>(input.size()));
            if (in[1] >= 0)
                close(in[1]);
            if (!inputOk) {
                if (in[0] >= 0)
                    close(in[0]);
                close(fds[0]);
                close(fds[1]);
                return { CaptureResult::Failure::Pipe, kPipeFailure };
            }
            CaptureResult::Failure failure;
            const pid_t pid = spawnWithPipe(argv, in[0], fds[1], failure);
            close(fds[1]);
            if (in[0] >= 0)
                close(in[0]);
            if (pid < 0) {
                close(fds[0]);
                if (failure == CaptureResult::Failure::Other)
                    return { failure, kOtherFailure };
                return { CaptureResult::Failure::Process, kProcessFailure };
            }
            child = std::make_shared<Child>(pid);
            std::lock_guard g(lastLock_);
            last_ = child;
        }
        Fd pipe(fds[0]);

        CaptureResult result;
        std::vector<char> buffer(kBufferBytes, 0);
        for (;;) {
            const int waiting = waitingBytes(pipe.get());
            if (waiting < 0)
                break;
            if (waiting > 0) {
                if (!readChunk(pipe.get(), buffer.data(), kChunkBytes, result.output))
                    break;
            } else if (child->tryReap()) {
                // What the program wrote just before it ended is still in the
                // pipe; take it too.
                while (waitingBytes(pipe.get()) > 0
                    && readChunk(pipe.get(), buffer.data(), kChunkBytes, result.output)) { }
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(pollIntervalMs_));
        }
        if (!child->tryReap())
            std::thread([child] { child->reapBlocking(); }).detach();
        return result;
    } catch (...) {
        try {
            if (child && !child->tryReap())
                std::thread([child] { child->reapBlocking(); }).detach();
        } catch (...) {
        }
        return { CaptureResult::Failure::Other, kOtherFailure };
    }
}

} // namespace platform
