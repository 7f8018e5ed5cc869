#include "TempFolder.h"

#include "core/AppFolders.h"
#include "runtime/DesktopServices.h"
#include "runtime/Shell.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace fs = std::filesystem;

namespace {

ProcessResult RunLine(const std::string& line)
{
    Shell shell;
    shell.Execute(line);
    return {shell.ErrorCode(), shell.Result(), shell.ErrorOutput()};
}

TEST(ShellStatus, IsTheStatusOfTheLine)
{
    const struct {
        const char* line;
        int status;
    } cases[] = {
        {"true", 0},
        {"false", 1},
        {"exit 3", 3},
        {"exit 255", 255},
        {"false | true", 0},
        {"true | false", 1},
        {"kill -KILL $$", 128 + 9},
        {"kill -TERM $$", 128 + 15},
    };
    for (const auto& c : cases)
        EXPECT_EQ(RunLine(c.line).status, c.status) << c.line;
}

// An application that ignores SIGCHLD (or asks for no zombies) still gets
// the shell's own status, from one thread or several at once, and finds its
// setting as it left it.
TEST(ShellStatus, IsTheShellsWhenTheParentIgnoresSigchld)
{
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction noZombies = {};
    noZombies.sa_handler = SIG_DFL;
    noZombies.sa_flags = SA_NOCLDWAIT;
    const struct {
        const char* name;
        struct sigaction action;
    } settings[] = {{"ignored", ignore}, {"SA_NOCLDWAIT", noZombies}};
    const struct {
        const char* line;
        int status;
    } lines[] = {{"true", 0}, {"exit 3", 3}, {"kill -TERM $$", 128 + 15}};

    for (const auto& setting : settings) {
        struct sigaction saved = {};
        ASSERT_EQ(sigaction(SIGCHLD, &setting.action, &saved), 0);
        for (const auto& l : lines)
            EXPECT_EQ(RunLine(l.line).status, l.status) << setting.name << ": " << l.line;
        std::atomic<int> wrong{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < 4; ++t) {
            threads.emplace_back([&wrong] {
                for (int i = 0; i < 20; ++i)
                    wrong += RunLine("exit 3").status != 3;
            });
        }
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(wrong, 0) << setting.name << ", from several threads";

        struct sigaction after = {};
        sigaction(SIGCHLD, &saved, &after);
        EXPECT_EQ(after.sa_handler, setting.action.sa_handler) << setting.name;
        EXPECT_EQ(after.sa_flags & SA_NOCLDWAIT, setting.action.sa_flags & SA_NOCLDWAIT) << setting.name;
    }
}

TEST(ShellStatus, MissingCommandGives127WithTheMessageOnTheErrorStream)
{
    const ProcessResult r = RunLine("tarnvik_no_such_command_here --list");
    EXPECT_EQ(r.status, 127);
    EXPECT_EQ(r.output, "");
    EXPECT_NE(r.errorOutput.find("tarnvik_no_such_command_here"), std::string::npos) << r.errorOutput;
}

// Running out of descriptors is the application's failure, not a missing
// command: the status is neither 127 nor one a command gives.
TEST(ShellStatus, NoDescriptorsForThePipesIsARunnerFailureWithTheCause)
{
    // One line first, with descriptors to spare: what only a first call does
    // (an instrumented build checks each class the first time it meets it,
    // through a pipe of its own) is then done before the limit.
    Shell shell;
    shell.Execute("true");
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    // With no descriptor left for the pipes the shell cannot be started.
    rlimit tight = saved;
    tight.rlim_cur = 3;
    ASSERT_EQ(setrlimit(RLIMIT_NOFILE, &tight), 0);
    shell.Execute("echo unreachable");
    setrlimit(RLIMIT_NOFILE, &saved);

    EXPECT_EQ(shell.ErrorCode(), kRunFailed);
    EXPECT_EQ(shell.Result(), "");
    EXPECT_EQ(shell.ErrorOutput(), "Cannot start /bin/sh: Too many open files\n");
}

TEST(ShellOutput, KeepsTheStreamsApartAndExact)
{
    const ProcessResult r = RunLine("printf 'one\\r\\ntwo\\0three\\n'; echo oops >&2; printf 'end'");
    EXPECT_EQ(r.output, std::string("one\r\ntwo\0three\nend", 18));
    EXPECT_EQ(r.errorOutput, "oops\n");
    EXPECT_EQ(r.status, 0);
}

TEST(ShellOutput, EachExecuteStartsAfresh)
{
    Shell shell;
    shell.Execute("echo out; echo err >&2; exit 4");
    ASSERT_EQ(shell.Result(), "out\n");
    ASSERT_EQ(shell.ErrorOutput(), "err\n");
    ASSERT_EQ(shell.ErrorCode(), 4);

    shell.Execute("true");
    EXPECT_EQ(shell.Result(), "");
    EXPECT_EQ(shell.ErrorOutput(), "");
    EXPECT_EQ(shell.ErrorCode(), 0);
}

TEST(ShellOutput, SeveralMegabytesArriveWhole)
{
    const ProcessResult r = RunLine("head -c 5000000 /dev/zero | tr '\\0' a");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.output.size(), 5000000u);
    EXPECT_EQ(r.output.find_first_not_of('a'), std::string::npos);
}

TEST(ShellOutput, BothStreamsFullAtOnceDoNotDeadlock)
{
    const ProcessResult r = RunLine(
        "(head -c 3000000 /dev/zero | tr '\\0' e) >&2 &"
        " head -c 4000000 /dev/zero | tr '\\0' o; wait");
    EXPECT_EQ(r.status, 0);
    ASSERT_EQ(r.output.size(), 4000000u);
    ASSERT_EQ(r.errorOutput.size(), 3000000u);
    EXPECT_EQ(r.output.find_first_not_of('o'), std::string::npos);
    EXPECT_EQ(r.errorOutput.find_first_not_of('e'), std::string::npos);
}

// A command may leave a child running in the background (a daemon, or a
// plain "&") that keeps the output pipes open. The shell's own output is
// there when it exits; nothing more is waited for.
TEST(ShellChild, BackgroundChildHoldingTheOutputIsNotWaitedFor)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::string pidFile = (folder.Path() / "orphan.pid").string();
    const std::string leaveSleeper = "sleep 30 & echo $! >" + pidFile;
    const struct {
        std::string line;
        std::string output;
        std::string errorOutput;
        int status;
    } cases[] = {
        // The child outlives a subshell, as a daemon does.
        {"(" + leaveSleeper + "); echo started", "started\n", "", 0},
        // Everything the foreground wrote just before the exit arrives.
        {leaveSleeper + "; head -c 3000000 /dev/zero | tr '\\0' a; echo done >&2; exit 3", std::string(3000000, 'a'),
         "done\n", 3},
        // It holds the error stream only.
        {"sleep 30 >/dev/null & echo $! >" + pidFile + "; printf x", "x", "", 0},
    };
    for (const auto& c : cases) {
        const auto start = std::chrono::steady_clock::now();
        const ProcessResult r = RunLine(c.line);
        const auto took = std::chrono::steady_clock::now() - start;

        pid_t sleeper = 0;
        std::ifstream(pidFile) >> sleeper;
        if (sleeper > 0)
            kill(sleeper, SIGKILL);
        fs::remove(pidFile);

        EXPECT_GT(sleeper, 0) << c.line;
        EXPECT_LT(took, std::chrono::seconds(3)) << c.line;
        EXPECT_TRUE(r.output == c.output) << c.line << " gave " << r.output.size() << " bytes";
        EXPECT_EQ(r.errorOutput, c.errorOutput) << c.line;
        EXPECT_EQ(r.status, c.status) << c.line;
    }
}

// The command never reads the application's own standard input: here a pipe
// with text waiting in it (ctest would give /dev/null, which proves nothing).
TEST(ShellChild, StdinIsEmpty)
{
    int pipeFds[2];
    ASSERT_EQ(pipe(pipeFds), 0);
    const std::string typed = "typed at the application\n";
    ASSERT_EQ(write(pipeFds[1], typed.data(), typed.size()), static_cast<ssize_t>(typed.size()));
    close(pipeFds[1]);
    // Puts the real standard input back however the test ends.
    struct HeldStdin {
        int saved = dup(0);
        ~HeldStdin()
        {
            dup2(saved, 0);
            close(saved);
        }
    } held;
    ASSERT_GE(held.saved, 0);
    ASSERT_EQ(dup2(pipeFds[0], 0), 0);
    close(pipeFds[0]);

    const ProcessResult r = RunLine("cat; readlink /proc/self/fd/0");
    EXPECT_EQ(r.output, "/dev/null\n");
    EXPECT_EQ(r.status, 0);
}

TEST(ShellChild, InheritsNoDescriptorsOfTheParent)
{
    // Opened without O_CLOEXEC on purpose: even such a descriptor stays home.
    const int stray = open("/dev/null", O_RDONLY);
    ASSERT_GE(stray, 3);
    const ProcessResult r = RunLine("ls /proc/self/fd");
    close(stray);
    // 0 to 2 and the folder ls itself opened to list them.
    EXPECT_EQ(r.output, "0\n1\n2\n3\n");
}

TEST(ShellChild, SignalsActNormallyEvenWhenTheParentIgnoresThem)
{
    // An application commonly ignores SIGPIPE; its commands must not inherit that.
    struct sigaction ignore = {};
    ignore.sa_handler = SIG_IGN;
    struct sigaction saved = {};
    ASSERT_EQ(sigaction(SIGPIPE, &ignore, &saved), 0);
    const ProcessResult r = RunLine("yes | head -n 2");
    sigaction(SIGPIPE, &saved, nullptr);

    EXPECT_EQ(r.output, "y\ny\n");
    EXPECT_EQ(r.errorOutput, "");
    EXPECT_EQ(r.status, 0);
}

// Tests that change PATH, the tool folder or the scripted shell put them back.
class ShellEnvironment : public ::testing::Test {
protected:
    void TearDown() override
    {
        AppFolders::OverrideTools("");
        SetDesktopServices(nullptr);
    }

    SavedVariable path_{"PATH"};
    TempFolder tools_;
    TempFolder earlier_;
};

TEST_F(ShellEnvironment, ToolsFolderIsSearchedLast)
{
    ASSERT_FALSE(tools_.Path().empty());
    ASSERT_FALSE(earlier_.Path().empty());
    AppFolders::OverrideTools(tools_.Path().string());
    tools_.AddScript("tarnvik_probe_tool", "echo stand-in \"$@\"");

    ProcessResult r = RunLine("tarnvik_probe_tool -list");
    EXPECT_EQ(r.output, "stand-in -list\n");
    EXPECT_EQ(r.status, 0);

    earlier_.AddScript("tarnvik_probe_tool", "echo real tool");
    setenv("PATH", (earlier_.Path().string() + ":" + path_.Value().value_or("/usr/bin:/bin")).c_str(), 1);
    r = RunLine("tarnvik_probe_tool -list");
    EXPECT_EQ(r.output, "real tool\n");
}

TEST_F(ShellEnvironment, ChildPathIsTheParentsWithToolsAppended)
{
    AppFolders::OverrideTools("/opt/tarnvik-tools");
    const struct {
        std::optional<std::string> parentPath;
        std::string childPath;
    } cases[] = {
        {"/usr/bin:/bin", "/usr/bin:/bin:/opt/tarnvik-tools"},
        {std::nullopt, "/usr/local/bin:/usr/bin:/bin:/opt/tarnvik-tools"},
    };
    for (const auto& c : cases) {
        if (c.parentPath)
            setenv("PATH", c.parentPath->c_str(), 1);
        else
            unsetenv("PATH");
        // The shell finds no printf without a PATH, so use its own echo.
        const ProcessResult r = RunLine("echo \"$PATH\"");
        EXPECT_EQ(r.output, c.childPath + "\n") << c.parentPath.value_or("(unset)");

        // The parent's own environment is left as it was.
        const char* now = std::getenv("PATH");
        EXPECT_EQ(now ? std::optional<std::string>(now) : std::nullopt, c.parentPath);
    }
}

TEST_F(ShellEnvironment, OtherVariablesPassThrough)
{
    SavedVariable probe("TARNVIK_PROBE_VARIABLE");
    setenv("TARNVIK_PROBE_VARIABLE", "a b=c", 1);
    EXPECT_EQ(RunLine("echo \"$TARNVIK_PROBE_VARIABLE\"").output, "a b=c\n");
}

// Services that answer every command line themselves and record it.
class AnsweringServices : public DesktopServices {
public:
    ProcessResult RunCommand(const std::string& commandLine) override
    {
        lines.push_back(commandLine);
        return ProcessResult{5, "scripted out", "scripted err"};
    }
    void MsgBox(const std::string&) override {}
    void Beep() override {}
    void ShowURL(const std::string&) override {}

    std::vector<std::string> lines;
};

TEST_F(ShellEnvironment, ReplacedServicesAnswerInPlaceOfTheShellUntilTheRealOnesAreBack)
{
    auto answering = std::make_shared<AnsweringServices>();
    EXPECT_EQ(SetDesktopServices(answering), nullptr) << "the real services were in use";

    Shell shell;
    shell.Execute("tarnvik_probe_tool -list");
    EXPECT_EQ(answering->lines, std::vector<std::string>{"tarnvik_probe_tool -list"});
    EXPECT_EQ(shell.Result(), "scripted out");
    EXPECT_EQ(shell.ErrorOutput(), "scripted err");
    EXPECT_EQ(shell.ErrorCode(), 5);

    EXPECT_EQ(SetDesktopServices(nullptr), answering);
    shell.Execute("echo real");
    EXPECT_EQ(answering->lines.size(), 1u);
    EXPECT_EQ(shell.Result(), "real\n");
    EXPECT_EQ(shell.ErrorOutput(), "");
    EXPECT_EQ(shell.ErrorCode(), 0);
}

// The test executables live in <build>/bin, the stand-ins in
// <build>/libexec/<app> and resources in <build>/share/<app>/resources.
class AppFoldersTest : public ::testing::Test {
protected:
    void TearDown() override
    {
        AppFolders::OverrideTools("");
        AppFolders::OverrideResources("");
    }

    static std::string Canonical(const char* path) { return fs::weakly_canonical(path).string(); }
};

TEST_F(AppFoldersTest, DefaultsLieBesideTheExecutable)
{
    EXPECT_EQ(AppFolders::ExecutableFolder(), Canonical(TARNVIK_BIN_DIR));
    EXPECT_EQ(AppFolders::Tools(), Canonical(TARNVIK_TOOL_DIR));
    EXPECT_EQ(AppFolders::Resources(), Canonical(TARNVIK_RESOURCE_DIR));
    EXPECT_EQ(AppFolders::Tools().find(".."), std::string::npos);
    EXPECT_NE(AppFolders::Tools().back(), '/');
}

TEST_F(AppFoldersTest, OverridesApplyUntilCleared)
{
    const std::string tools = AppFolders::Tools();
    const std::string resources = AppFolders::Resources();

    AppFolders::OverrideTools("/tmp/tools");
    AppFolders::OverrideResources("/tmp/resources");
    EXPECT_EQ(AppFolders::Tools(), "/tmp/tools");
    EXPECT_EQ(AppFolders::Resources(), "/tmp/resources");

    AppFolders::OverrideTools("");
    AppFolders::OverrideResources("");
    EXPECT_EQ(AppFolders::Tools(), tools);
    EXPECT_EQ(AppFolders::Resources(), resources);
}

}  // namespace
