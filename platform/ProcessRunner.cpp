#include "platform/ProcessRunner.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

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

// Both ends above 2, so placing them on the child's stdout and stderr never
// overwrites one of them first (as it could if we were started with a standard
// stream closed).
int AboveStandardStreams(int fd)
{
    if (fd > 2)
        return fd;
    int moved = ::fcntl(fd, F_DUPFD_CLOEXEC, 3);
    ::close(fd);
    return moved;
}

bool MakePipe(Fd& readEnd, Fd& writeEnd)
{
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0)
        return false;
    readEnd.Reset(AboveStandardStreams(fds[0]));
    writeEnd.Reset(AboveStandardStreams(fds[1]));
    return readEnd.Get() >= 0 && writeEnd.Get() >= 0;
}

}

ProcessRunner::Result ProcessRunner::Run(const std::vector<std::string>& argv)
{
    Result result;
    if (argv.empty()) {
        result.errorOutput = "no program given";
        return result;
    }
    Fd outRead, outWrite, errRead, errWrite;
    if (!MakePipe(outRead, outWrite) || !MakePipe(errRead, errWrite)) {
        result.errorOutput = std::string("cannot create a pipe: ") + std::strerror(errno);
        return result;
    }
    // Built before fork: the child may only make async-signal-safe calls.
    std::vector<char*> args;
    for (const auto& arg : argv)
        args.push_back(const_cast<char*>(arg.c_str()));
    args.push_back(nullptr);

    pid_t pid = ::fork();
    if (pid < 0) {
        result.errorOutput = std::string("cannot start ") + argv[0] + ": " + std::strerror(errno);
        return result;
    }
    if (pid == 0) {
        int null = ::open("/dev/null", O_RDONLY);
        if (null >= 0)
            ::dup2(null, STDIN_FILENO);
        ::dup2(outWrite.Get(), STDOUT_FILENO);
        ::dup2(errWrite.Get(), STDERR_FILENO);
        ::execv(args[0], args.data());
        const char message[] = "cannot run the program\n";
        [[maybe_unused]] auto written = ::write(STDERR_FILENO, message, sizeof message - 1);
        ::_exit(127);
    }
    outWrite.Close();
    errWrite.Close();

    pollfd fds[2] = {{outRead.Get(), POLLIN, 0}, {errRead.Get(), POLLIN, 0}};
    std::string* sinks[2] = {&result.output, &result.errorOutput};
    int open = 2;
    while (open > 0) {
        if (::poll(fds, 2, -1) < 0) {
            if (errno == EINTR)
                continue;
            break;
        }
        for (int i = 0; i < 2; ++i) {
            if (fds[i].fd < 0 || !(fds[i].revents & (POLLIN | POLLHUP | POLLERR)))
                continue;
            char buffer[4096];
            ssize_t count = ::read(fds[i].fd, buffer, sizeof buffer);
            if (count > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(count));
            } else if (count == 0 || errno != EINTR) {
                fds[i].fd = -1;
                --open;
            }
        }
    }

    int status = 0;
    while (::waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    if (WIFEXITED(status))
        result.exitCode = WEXITSTATUS(status);
    else if (WIFSIGNALED(status))
        result.exitCode = 128 + WTERMSIG(status);
    return result;
}

std::optional<std::filesystem::path> ProcessRunner::FindOnPath(std::string_view name, std::string_view searchPath)
{
    size_t start = 0;
    while (start <= searchPath.size()) {
        size_t end = searchPath.find(':', start);
        if (end == std::string_view::npos)
            end = searchPath.size();
        std::string_view dir = searchPath.substr(start, end - start);
        start = end + 1;
        if (dir.empty())
            continue;  // an empty element would mean the working directory; not for a privileged helper
        std::filesystem::path candidate = std::filesystem::path(dir) / name;
        std::error_code error;
        if (std::filesystem::is_regular_file(candidate, error) && ::access(candidate.c_str(), X_OK) == 0)
            return candidate;
    }
    return std::nullopt;
}
