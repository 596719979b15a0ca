#include "platform/linux/posix_child_process.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <csignal>
#include <exception>
#include <system_error>

#include <fcntl.h>
#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace platform {

namespace {

using Clock = std::chrono::steady_clock;

// How often to look for the child's end when the kernel offers no pidfd to wait on.
constexpr std::chrono::milliseconds exitCheckInterval(100);

// Signals a GUI typically ignores or handles itself; the child starts with their default actions.
constexpr int defaultedSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGALRM, SIGTERM, SIGCHLD, SIGUSR1, SIGUSR2};

LaunchFailure failure(const std::string& path, int error)
{
    return LaunchFailure{path + ": " + std::generic_category().message(error)};
}

void closeDescriptor(int fd)
{
    if (fd >= 0)
        ::close(fd);
}

// Through syscall(): glibc 2.36's <sys/pidfd.h> lacks extern "C", so its pidfd_open() does not link from C++.
int openProcessDescriptor(pid_t child)
{
    return static_cast<int>(::syscall(SYS_pidfd_open, child, 0));
}

void reap(pid_t child)
{
    while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR)
        continue;
}

// Starts `path` with `output` as its standard output; returns 0 or an errno value, which with
// glibc includes the exec's own failure.
int spawn(const std::string& path, const std::vector<std::string>& arguments, int output, pid_t& child)
{
    std::vector<char*> argv;
    argv.reserve(arguments.size() + 2);
    argv.push_back(const_cast<char*>(path.c_str()));
    for (const auto& argument : arguments)
        argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);

    sigset_t noSignals, defaulted;
    sigemptyset(&noSignals);
    sigemptyset(&defaulted);
    for (const int number : defaultedSignals)
        sigaddset(&defaulted, number);

    // The attribute calls fail only on arguments that are invalid, which these are not.
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    posix_spawnattr_setsigmask(&attributes, &noSignals);
    posix_spawnattr_setsigdefault(&attributes, &defaulted);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
    posix_spawn_file_actions_t actions;
    int error = posix_spawn_file_actions_init(&actions);
    if (error == 0)
        error = posix_spawn_file_actions_adddup2(&actions, output, STDOUT_FILENO);
    if (error == 0)
        error = posix_spawn(&child, path.c_str(), &actions, &attributes, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    posix_spawnattr_destroy(&attributes);
    return error;
}

} // namespace

PosixChildProcessLauncher::PosixChildProcessLauncher()
    : PosixChildProcessLauncher(Options{})
{
}

PosixChildProcessLauncher::PosixChildProcessLauncher(Options options)
    : options_(options)
{
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) == 0) {
        stopRead_ = ends[0];
        stopWrite_ = ends[1];
    } else {
        stopPipeError_ = errno;
    }
}

PosixChildProcessLauncher::~PosixChildProcessLauncher()
{
    std::unique_lock lock(mutex_);
    stopping_ = true;
    closeDescriptor(stopWrite_);
    workerFinished_.wait(lock, [this] { return running_.empty(); });
    lock.unlock();
    for (auto& worker : finished_)
        worker.join();
    closeDescriptor(stopRead_);
}

std::optional<LaunchFailure> PosixChildProcessLauncher::launch(const std::string& path,
                                                               const std::vector<std::string>& arguments,
                                                               TerminationHandler onTermination)
{
    if (path.empty() || path.front() != '/')
        return LaunchFailure{path + ": not an absolute path"};
    if (stopRead_ < 0)
        return failure(path, stopPipeError_);

    // Close-on-exec from creation on: a child that another thread spawns meanwhile must not
    // inherit the write end, or this run would not see the end of its output until that one ends.
    int ends[2];
    if (::pipe2(ends, O_CLOEXEC) != 0)
        return failure(path, errno);
    pid_t child = -1;
    const int error = spawn(path, arguments, ends[1], child);
    ::close(ends[1]);
    if (error != 0) {
        ::close(ends[0]);
        return failure(path, error);
    }

    std::optional<LaunchFailure> result;
    Workers joinable;
    {
        std::lock_guard lock(mutex_);
        joinable.splice(joinable.end(), finished_);
        if (stopping_) {
            result = LaunchFailure{path + ": the launcher is shutting down"};
        } else {
            // The worker's iterator stays valid when the node moves into running_; the worker
            // cannot take the lock before that has happened.
            Workers worker;
            try {
                worker.emplace_back();
                worker.front() = std::thread(&PosixChildProcessLauncher::supervise, this, child, ends[0],
                                             std::move(onTermination), worker.begin());
                running_.splice(running_.end(), worker);
            } catch (const std::exception& exception) {
                result = LaunchFailure{path + ": " + exception.what()};
            }
        }
    }
    if (result) {
        ::kill(child, SIGKILL);
        reap(child);
        ::close(ends[0]);
    }
    for (auto& worker : joinable)
        worker.join();
    return result;
}

std::size_t PosixChildProcessLauncher::runsInFlight() const
{
    std::lock_guard lock(mutex_);
    return running_.size();
}

void PosixChildProcessLauncher::supervise(pid_t child, int output, TerminationHandler onTermination,
                                          Workers::iterator self)
{
    // Read the output as it comes, so the child never stalls on a full pipe, until the pipe is
    // closed and the child has ended: either alone is not the end, as a child may close its output
    // early or leave it open to a grandchild. One poll() waits, with the time left, on the pipe, on
    // a pidfd that turns readable when the child ends (lacking one, waitpid(WNOHANG) at each
    // exitCheckInterval) and on the stop pipe. The deadline, the output limit or a stop cut the run
    // short and kill the child. Either way the child is reaped before the handler runs.
    const auto deadline = Clock::now() + options_.timeLimit;
    const int exitDescriptor = openProcessDescriptor(child);
    std::string text;
    char buffer[65536];
    bool outputClosed = false;
    bool exited = false;
    bool reaped = false;
    bool cutShort = false;
    while (!cutShort && !(outputClosed && exited)) {
        const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now()).count();
        auto timeout = std::min<decltype(left)>(left, INT_MAX);
        if (exitDescriptor < 0 && !exited)
            timeout = std::min<decltype(left)>(timeout, exitCheckInterval.count());
        pollfd watched[] = {{outputClosed ? -1 : output, POLLIN, 0},
                            {exited ? -1 : exitDescriptor, POLLIN, 0},
                            {stopRead_, POLLIN, 0}};
        if (left <= 0 || (::poll(watched, 3, static_cast<int>(timeout)) < 0 && errno != EINTR)) {
            cutShort = true;
            break;
        }
        cutShort = watched[2].revents != 0;
        if (watched[0].revents != 0 && !cutShort) {
            const ssize_t count = ::read(output, buffer, sizeof buffer);
            if (count > 0) {
                // Checked before the bytes are kept, so the output never grows past the limit.
                cutShort = text.size() + static_cast<std::size_t>(count) > options_.outputLimit;
                if (!cutShort)
                    text.append(buffer, static_cast<std::size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                outputClosed = true;
            }
        }
        if (exitDescriptor >= 0) {
            exited = exited || watched[1].revents != 0;
        } else if (!exited) {
            // ECHILD: something else reaped it, such as SIGCHLD being ignored.
            const pid_t waited = ::waitpid(child, nullptr, WNOHANG);
            reaped = exited = waited == child || (waited < 0 && errno == ECHILD);
        }
    }
    // Until reaped, the pid cannot have been reused, so the kill reaches our own child.
    if (cutShort && !reaped)
        ::kill(child, SIGKILL);
    if (!reaped)
        reap(child);
    closeDescriptor(exitDescriptor);
    ::close(output);

    {
        // Destroyed before the run counts as over, so nothing the handler holds outlives the launcher.
        const TerminationHandler handler = std::move(onTermination);
        handler(ChildProcessEnd{std::move(text), !cutShort});
    }
    std::lock_guard lock(mutex_);
    finished_.splice(finished_.end(), running_, self);
    workerFinished_.notify_all();
}

} // namespace platform
