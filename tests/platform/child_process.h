#pragma once
// Runs one step of a test in a forked child process, so that a limit the step
// needs cannot leak into the test runner: a file size limit (the kernel then
// fails writes past it, as on a full disk) or the loss of root's right to open
// any file (CI runs the tests as root). POSIX only.
#include <QtGlobal>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <grp.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

struct ChildLimits {
    bool unprivileged = false;       // as root, become "nobody" first
    long long fileSizeLimit = -1;    // RLIMIT_FSIZE in bytes; -1: none
};

// The exit status of the child: step() must return 0..125. 126 means the
// limits could not be set, -1 that the child did not exit normally.
template <typename Step>
int runInChild(const ChildLimits &limits, Step step)
{
    std::fflush(nullptr);
    const pid_t pid = ::fork();
    if (pid < 0)
        return -1;
    if (pid == 0) {
        if (limits.unprivileged && ::geteuid() == 0) {
            const gid_t nogroup = 65534;
            if (::setgroups(0, nullptr) != 0 || ::setgid(nogroup) != 0 || ::setuid(65534) != 0)
                ::_exit(126);
        }
        if (limits.fileSizeLimit >= 0) {
            // Without the signal a write past the limit fails with EFBIG.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(limits.fileSizeLimit), rlim_t(limits.fileSizeLimit)};
            if (::setrlimit(RLIMIT_FSIZE, &limit) != 0)
                ::_exit(126);
        }
        ::_exit(step());
    }
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return -1;
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// Kills the test process if a step blocks (an open() of a FIFO waiting for a
// writer): a hang becomes a prompt, visible failure.
struct Watchdog {
    explicit Watchdog(unsigned seconds) { ::alarm(seconds); }
    ~Watchdog() { ::alarm(0); }
    Watchdog(const Watchdog &) = delete;
    Watchdog &operator=(const Watchdog &) = delete;
};
#endif
