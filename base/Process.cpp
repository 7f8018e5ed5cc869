#include "base/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/ioctl.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <mutex>

extern char** environ;

namespace {

std::string ErrnoText(int error)
{
    return std::strerror(error);
}

// Closes its descriptor when it goes out of scope.
class Fd {
public:
    Fd() = default;
    ~Fd() { Close(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;

    int Get() const { return fd_; }
    void Reset(int fd)
    {
        Close();
        fd_ = fd;
    }
    void Close()
    {
        if (fd_ >= 0)
            ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

// A close-on-exec pipe whose ends are both above 2, so that placing them on
// the child's stdout and stderr can never overwrite one of them first (a
// parent started with a standard stream closed would hand out 0, 1 or 2).
bool MakePipe(Fd& readEnd, Fd& writeEnd, int& error)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        error = errno;
        return false;
    }
    for (int& fd : fds) {
        if (fd > 2)
            continue;
        const int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
        if (moved < 0) {
            error = errno;
            ::close(fds[0]);
            ::close(fds[1]);
            return false;
        }
        ::close(fd);
        fd = moved;
    }
    readEnd.Reset(fds[0]);
    writeEnd.Reset(fds[1]);
    return true;
}

struct Stream {
    int fd;
    std::string* text;
    int error = 0;  // errno of a read that failed
};

// Reads once, at most `most` bytes. Returns how many came, or 0 when the
// stream has ended: at its end of file, or when a read failed (s.error).
std::size_t ReadSome(Stream& s, char* buffer, std::size_t most)
{
    for (;;) {
        const ssize_t got = ::read(s.fd, buffer, most);
        if (got > 0) {
            s.text->append(buffer, static_cast<std::size_t>(got));
            return static_cast<std::size_t>(got);
        }
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            s.error = errno;
        s.fd = -1;
        return 0;
    }
}

// Reads both pipes at once (a child that fills one while the parent waits
// on the other would never finish) until both end or the child exits. Once
// it has exited, everything it wrote is in the pipes: take just that and
// stop, for a background child it left behind may hold them open for ever.
// Without an exit descriptor (exitFd < 0) it reads to the end. Returns 0,
// or the errno of a poll or read that failed: what came before it is kept,
// the rest is not read.
int Collect(int outFd, int errFd, int exitFd, std::string& out, std::string& err)
{
    Stream streams[2] = {{outFd, &out}, {errFd, &err}};
    std::vector<char> buffer(65536);

    while (streams[0].fd >= 0 || streams[1].fd >= 0) {
        // poll skips the negative descriptors of the streams that ended.
        pollfd fds[3] = {{streams[0].fd, POLLIN, 0}, {streams[1].fd, POLLIN, 0}, {exitFd, POLLIN, 0}};
        if (::poll(fds, 3, -1) < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].revents != 0)
                ReadSome(streams[i], buffer.data(), buffer.size());
            if (streams[i].error != 0)
                return streams[i].error;
        }
        if (fds[2].revents == 0)
            continue;

        // Only what is there now: a background child writing on could
        // otherwise keep this loop going.
        for (Stream& s : streams) {
            int waiting = 0;
            if (s.fd < 0 || ::ioctl(s.fd, FIONREAD, &waiting) != 0)
                continue;
            for (std::size_t left = static_cast<std::size_t>(waiting); left > 0;) {
                const std::size_t got = ReadSome(s, buffer.data(), std::min(left, buffer.size()));
                if (got == 0)
                    break;
                left -= got;
            }
            if (s.error != 0)
                return s.error;
        }
        return 0;
    }
    return 0;
}

// An ignored SIGCHLD, or SA_NOCLDWAIT, makes the kernel reap a child the
// moment it exits, and its status is lost (waitpid fails with ECHILD). So
// while any program runs, SIGCHLD is set back to its default here: the first
// run to start switches, the last one to finish switches back, under one
// lock. The setting is the whole process's; a helper process that waits for
// the program would leave it alone, but has to be a copy of this process
// (it cannot exec and still be waited for without SIGCHLD), which costs
// milliseconds per command in a program of this size. A SIGCHLD handler that
// reaps every child can still take the status first (the run then fails
// with that cause); this program installs none.
class ChildStatusKept {
public:
    ChildStatusKept()
    {
        std::lock_guard lock(mutex_);
        if (running_++ > 0)
            return;
        struct sigaction current = {};
        if (::sigaction(SIGCHLD, nullptr, &current) != 0 || !LosesStatus(current))
            return;
        struct sigaction keeping = current;
        if (keeping.sa_handler == SIG_IGN)
            keeping.sa_handler = SIG_DFL;
        keeping.sa_flags &= ~SA_NOCLDWAIT;
        if (::sigaction(SIGCHLD, &keeping, nullptr) == 0) {
            original_ = current;
            keeping_ = keeping;
            switched_ = true;
        }
    }
    ~ChildStatusKept()
    {
        std::lock_guard lock(mutex_);
        if (--running_ > 0 || !switched_)
            return;
        switched_ = false;
        // A setting made meanwhile by someone else stands.
        struct sigaction current = {};
        if (::sigaction(SIGCHLD, nullptr, &current) != 0 || current.sa_handler != keeping_.sa_handler ||
            LosesStatus(current))
            return;
        ::sigaction(SIGCHLD, &original_, nullptr);
        // Any other child that ended meanwhile would have been reaped at
        // once; none of ours is running, so reap what is left.
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
    }
    ChildStatusKept(const ChildStatusKept&) = delete;
    ChildStatusKept& operator=(const ChildStatusKept&) = delete;

private:
    static bool LosesStatus(const struct sigaction& action)
    {
        return action.sa_handler == SIG_IGN || (action.sa_flags & SA_NOCLDWAIT) != 0;
    }

    static inline std::mutex mutex_;
    static inline int running_ = 0;
    static inline bool switched_ = false;
    static inline struct sigaction original_ = {};
    static inline struct sigaction keeping_ = {};
};

// Waits until the child has ended and sets its status: its exit status, or
// 128 + n when signal n ended it. A report that it stopped or went on is no
// end. Returns 0, or the errno of a wait that failed (ECHILD when someone
// else reaped it), leaving the status alone.
int WaitForChild(pid_t pid, int& status)
{
    for (;;) {
        int wstatus = 0;
        if (::waitpid(pid, &wstatus, 0) < 0) {
            if (errno == EINTR)
                continue;
            return errno;
        }
        if (WIFEXITED(wstatus)) {
            status = WEXITSTATUS(wstatus);
            return 0;
        }
        if (WIFSIGNALED(wstatus)) {
            status = 128 + WTERMSIG(wstatus);
            return 0;
        }
    }
}

// Whether posix_spawn's error says that the program itself cannot be run,
// as a shell says "not found" (status 127), rather than that the system
// could not start anything just now (out of processes or memory).
bool ProgramCannotRun(int error)
{
    switch (error) {
    case ENOENT:
    case ENOTDIR:
    case EACCES:
    case ENOEXEC:
    case ELOOP:
    case ENAMETOOLONG:
    case ETXTBSY: return true;
    default: return false;
    }
}

// posix_spawn attributes and file actions, released on every path.
struct SpawnSetup {
    posix_spawn_file_actions_t actions;
    posix_spawnattr_t attributes;
    bool haveActions = false;
    bool haveAttributes = false;

    ~SpawnSetup()
    {
        if (haveActions)
            posix_spawn_file_actions_destroy(&actions);
        if (haveAttributes)
            posix_spawnattr_destroy(&attributes);
    }
};

// Prepares the child: stdin from /dev/null, stdout and stderr on the pipes,
// no other descriptor, default signal handling. Returns 0 or an errno value.
int PrepareSpawn(SpawnSetup& setup, int outFd, int errFd)
{
    int rc = posix_spawn_file_actions_init(&setup.actions);
    if (rc != 0)
        return rc;
    setup.haveActions = true;
    if ((rc = posix_spawn_file_actions_addopen(&setup.actions, 0, "/dev/null", O_RDONLY, 0)) != 0)
        return rc;
    if ((rc = posix_spawn_file_actions_adddup2(&setup.actions, outFd, 1)) != 0)
        return rc;
    if ((rc = posix_spawn_file_actions_adddup2(&setup.actions, errFd, 2)) != 0)
        return rc;
#if defined(__GLIBC__) && (__GLIBC__ > 2 || (__GLIBC__ == 2 && __GLIBC_MINOR__ >= 34))
    // Descriptors opened without O_CLOEXEC elsewhere in the process (by a
    // library, say) must not reach the command either.
    if ((rc = posix_spawn_file_actions_addclosefrom_np(&setup.actions, 3)) != 0)
        return rc;
#endif

    rc = posix_spawnattr_init(&setup.attributes);
    if (rc != 0)
        return rc;
    setup.haveAttributes = true;
    // The application may block or ignore signals (SIGPIPE above all); a
    // pipeline such as "yes | head -1" only ends when they act normally.
    sigset_t none;
    sigemptyset(&none);
    sigset_t defaults;
    sigfillset(&defaults);
    if ((rc = posix_spawnattr_setsigmask(&setup.attributes, &none)) != 0)
        return rc;
    if ((rc = posix_spawnattr_setsigdefault(&setup.attributes, &defaults)) != 0)
        return rc;
    return posix_spawnattr_setflags(&setup.attributes, POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF);
}

}  // namespace

ProcessResult RunProcess(const std::vector<std::string>& argv, const std::vector<std::string>& environment)
{
    ProcessResult outcome;
    const std::string program = argv.empty() ? std::string() : argv[0];
    // The cause goes on a line of its own after whatever the program wrote.
    const auto failed = [&](int status, const std::string& text) {
        if (!outcome.errorOutput.empty() && outcome.errorOutput.back() != '\n')
            outcome.errorOutput += '\n';
        outcome.errorOutput += text + "\n";
        outcome.status = status;
        return outcome;
    };
    if (argv.empty())
        return failed(127, "Cannot start : no program given");

    Fd outRead, outWrite, errRead, errWrite;
    int error = 0;
    if (!MakePipe(outRead, outWrite, error) || !MakePipe(errRead, errWrite, error))
        return failed(kRunFailed, "Cannot start " + program + ": " + ErrnoText(error));

    SpawnSetup setup;
    if (const int rc = PrepareSpawn(setup, outWrite.Get(), errWrite.Get()); rc != 0)
        return failed(kRunFailed, "Cannot start " + program + ": " + ErrnoText(rc));

    const std::vector<char*> argp = ExecPointers(argv);
    const std::vector<char*> envp = ExecPointers(environment);

    const ChildStatusKept keepStatus;
    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argp.data(), envp.data());
    if (rc != 0)
        return failed(ProgramCannotRun(rc) ? 127 : kRunFailed, "Cannot start " + program + ": " + ErrnoText(rc));
    // Readable once the child has exited. The child stays unreaped until
    // WaitForChild, so its id cannot have been reused. Without pidfds (before
    // Linux 5.3) the outputs are read to their end instead.
    // (The system call itself: glibc's declaration before 2.37 lacks C linkage.)
    Fd exitFd;
    exitFd.Reset(static_cast<int>(::syscall(SYS_pidfd_open, pid, 0)));

    // Only the child and its own children may hold the write ends.
    outWrite.Close();
    errWrite.Close();

    const int readError = Collect(outRead.Get(), errRead.Get(), exitFd.Get(), outcome.output, outcome.errorOutput);
    // A background child that writes on now finds the pipes closed, and so
    // does the program when reading failed.
    outRead.Close();
    errRead.Close();
    // Waited for even then, so that it leaves no zombie behind.
    const int waitError = WaitForChild(pid, outcome.status);
    if (readError != 0)
        failed(kRunFailed, "Reading the output of " + program + " failed: " + ErrnoText(readError));
    if (waitError != 0)
        failed(kRunFailed, "Waiting for " + program + " failed: " + ErrnoText(waitError));
    return outcome;
}

ProcessResult RunProcess(const std::vector<std::string>& argv)
{
    return RunProcess(argv, CurrentEnvironment());
}

std::vector<char*> ExecPointers(const std::vector<std::string>& texts)
{
    std::vector<char*> pointers;
    pointers.reserve(texts.size() + 1);
    for (const std::string& text : texts)
        pointers.push_back(const_cast<char*>(text.c_str()));
    pointers.push_back(nullptr);
    return pointers;
}

std::vector<std::string> CurrentEnvironment()
{
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry)
        env.emplace_back(*entry);
    return env;
}
