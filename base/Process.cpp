#include "base/Process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

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

// Reads both pipes until each reports end of file. Both are drained at once:
// a child that fills one pipe while the parent waits on the other would
// never finish.
void Drain(int outFd, int errFd, std::string& out, std::string& err)
{
    struct Stream {
        int fd;
        std::string* text;
    };
    Stream streams[2] = {{outFd, &out}, {errFd, &err}};
    std::vector<char> buffer(65536);

    for (;;) {
        pollfd fds[2];
        nfds_t count = 0;
        for (const Stream& s : streams) {
            if (s.fd >= 0)
                fds[count++] = pollfd{s.fd, POLLIN, 0};
        }
        if (count == 0)
            return;

        if (::poll(fds, count, -1) < 0) {
            if (errno == EINTR)
                continue;
            err += std::string("Reading the command's output failed: ") + ErrnoText(errno) + "\n";
            return;
        }

        for (nfds_t i = 0; i < count; ++i) {
            if (fds[i].revents == 0)
                continue;
            for (Stream& s : streams) {
                if (s.fd != fds[i].fd)
                    continue;
                const ssize_t got = ::read(s.fd, buffer.data(), buffer.size());
                if (got > 0) {
                    s.text->append(buffer.data(), static_cast<std::size_t>(got));
                } else if (got == 0 || (errno != EINTR && errno != EAGAIN)) {
                    // End of file (or a broken pipe): this stream is done.
                    s.fd = -1;
                }
            }
        }
    }
}

int WaitForChild(pid_t pid)
{
    int status = 0;
    while (::waitpid(pid, &status, 0) < 0) {
        if (errno != EINTR)
            return 127;
    }
    if (WIFEXITED(status))
        return WEXITSTATUS(status);
    if (WIFSIGNALED(status))
        return 128 + WTERMSIG(status);
    return 127;
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
    const auto cannotStart = [&](const std::string& why) {
        outcome.errorOutput = "Cannot start " + program + ": " + why + "\n";
        outcome.status = 127;
        return outcome;
    };
    if (argv.empty())
        return cannotStart("no program given");

    Fd outRead, outWrite, errRead, errWrite;
    int error = 0;
    if (!MakePipe(outRead, outWrite, error) || !MakePipe(errRead, errWrite, error))
        return cannotStart(ErrnoText(error));

    SpawnSetup setup;
    if (const int rc = PrepareSpawn(setup, outWrite.Get(), errWrite.Get()); rc != 0)
        return cannotStart(ErrnoText(rc));

    std::vector<std::string> args = argv;
    std::vector<char*> argp;
    for (std::string& arg : args)
        argp.push_back(arg.data());
    argp.push_back(nullptr);
    std::vector<std::string> env = environment;
    std::vector<char*> envp;
    envp.reserve(env.size() + 1);
    for (std::string& entry : env)
        envp.push_back(entry.data());
    envp.push_back(nullptr);

    pid_t pid = -1;
    const int rc = posix_spawn(&pid, program.c_str(), &setup.actions, &setup.attributes, argp.data(), envp.data());
    if (rc != 0)
        return cannotStart(ErrnoText(rc));

    // Only the child may hold the write ends, or end of file never comes.
    outWrite.Close();
    errWrite.Close();

    Drain(outRead.Get(), errRead.Get(), outcome.output, outcome.errorOutput);
    outRead.Close();
    errRead.Close();
    outcome.status = WaitForChild(pid);
    return outcome;
}

ProcessResult RunProcess(const std::vector<std::string>& argv)
{
    return RunProcess(argv, CurrentEnvironment());
}

std::vector<std::string> CurrentEnvironment()
{
    std::vector<std::string> env;
    for (char** entry = environ; entry && *entry; ++entry)
        env.emplace_back(*entry);
    return env;
}
