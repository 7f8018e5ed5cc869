#include "TempFolder.h"

#include "base/Process.h"
#include "base/ShellWord.h"
#include "base/TextLines.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace {

TEST(ShellWord, PlainWordsStayAndEverythingElseIsQuotedSoTheShellRunsNothing)
{
    struct Case {
        std::string identifier;
        std::string word;
    } cases[] = {
        {"disk2s1", "disk2s1"},     {"loop0p1", "loop0p1"},
        {"a.b_c-d:e", "a.b_c-d:e"}, {"", ""},
        {"my disk", "'my disk'"},   {"x;touch y", "'x;touch y'"},
        {"$(id)", "'$(id)'"},       {"`id`", "'`id`'"},
        {"it's", "'it'\\''s'"},     {"'", "''\\'''"},
        {"a\"b", "'a\"b'"},         {"disk*", "'disk*'"},
        {"a\nb", "'a\nb'"},         {"/dev/disk1", "'/dev/disk1'"},
        {"Lüfter", "'Lüfter'"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(ShellWord(c.identifier), c.word) << c.identifier;
}

// The quoting holds when a real shell reads the word back.
TEST(ShellWord, TheShellReadsBackTheOriginalText)
{
    for (const std::string text : {"my disk", "it's", "$(touch /tmp/x)", "a\nb", "'", "\\"}) {
        const ProcessResult echoed = RunProcess({"/bin/sh", "-c", "printf '%s' " + ShellWord(text)});
        EXPECT_EQ(echoed.output, text);
    }
}

TEST(RunProcess, AProgramThatCannotStartGives127AndSaysWhy)
{
    const struct {
        std::vector<std::string> argv;
        std::string errorOutput;
    } cases[] = {
        {{"/nonexistent/tarnvik-tool", "-list"}, "Cannot start /nonexistent/tarnvik-tool: No such file or directory\n"},
        {{"/dev/null"}, "Cannot start /dev/null: Permission denied\n"},
        {{}, "Cannot start : no program given\n"},
    };
    for (const auto& c : cases) {
        const ProcessResult r = RunProcess(c.argv);
        EXPECT_EQ(r.status, 127) << c.errorOutput;
        EXPECT_EQ(r.output, "") << c.errorOutput;
        EXPECT_EQ(r.errorOutput, c.errorOutput);
    }
}

using namespace std::chrono_literals;

// Calls until it returns true or the time is up; says which.
template <typename Condition>
bool WaitUntil(Condition condition)
{
    const auto deadline = std::chrono::steady_clock::now() + 20s * TARNVIK_SLOWDOWN;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > deadline)
            return false;
        std::this_thread::sleep_for(10ms);
    }
    return true;
}

// The state letter of a process in /proc ('T' when stopped), or 0.
char ProcessState(pid_t pid)
{
    std::string stat;
    std::getline(std::ifstream("/proc/" + std::to_string(pid) + "/stat"), stat);
    const size_t name = stat.rfind(')');
    return name == std::string::npos || name + 2 >= stat.size() ? 0 : stat[name + 2];
}

// A program that stops is not at its end: it is waited for until it goes on
// and ends, and its own status comes back.
TEST(RunProcess, AStoppedProgramIsWaitedForUntilItEnds)
{
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::filesystem::path pidFile = folder.Path() / "pid";
    std::atomic<bool> seenStopped{false};
    std::thread resumer([&] {
        pid_t pid = 0;
        seenStopped = WaitUntil([&] {
            if (pid <= 0)
                std::ifstream(pidFile) >> pid;
            return pid > 0 && ProcessState(pid) == 'T';
        });
        if (pid > 0)
            ::kill(pid, SIGCONT);
    });
    // Its outputs closed first, the runner is already waiting for its end
    // while it is stopped.
    const ProcessResult r = RunProcess(
        {"/bin/sh", "-c",
         "echo before; echo $$ >" + ShellWord(pidFile.string()) + "; exec >/dev/null 2>&1; kill -STOP $$; exit 3"});
    resumer.join();
    EXPECT_TRUE(seenStopped);
    EXPECT_EQ(r.status, 3);
    EXPECT_EQ(r.output, "before\n");
    EXPECT_EQ(r.errorOutput, "");
}

// A SIGCHLD handler of this process that reaps every child takes the
// program's status first: the run has failed, and says how, instead of
// claiming a status it never saw.
TEST(RunProcess, AProgramReapedElsewhereIsARunnerFailureWithTheCause)
{
    struct sigaction reapAll = {};
    reapAll.sa_handler = [](int) {
        const int saved = errno;
        while (::waitpid(-1, nullptr, WNOHANG) > 0) {
        }
        errno = saved;
    };
    sigemptyset(&reapAll.sa_mask);
    struct sigaction saved = {};
    ASSERT_EQ(sigaction(SIGCHLD, &reapAll, &saved), 0);
    // The background sleep keeps the outputs open past the shell's end, so
    // the runner learns of that end from the exit itself, as the handler does.
    const ProcessResult r = RunProcess({"/bin/sh", "-c", "sleep 1 & echo out; exit 0"});
    sigaction(SIGCHLD, &saved, nullptr);

    EXPECT_EQ(r.status, kRunFailed);
    EXPECT_EQ(r.output, "out\n");
    EXPECT_EQ(r.errorOutput, "Waiting for /bin/sh failed: No child processes\n");
}

// Reading the output fails halfway (poll refuses to watch more descriptors
// than the process may have, and the limit drops to two while the program
// runs): the run has failed, though the program itself would end with 0.
TEST(RunProcess, AFailedReadOfTheOutputIsARunnerFailureWithTheCause)
{
    // One run first, so that what only a first run does is done before the limit.
    ASSERT_EQ(RunProcess({"/bin/sh", "-c", "true"}).status, 0);
    TempFolder folder;
    ASSERT_FALSE(folder.Path().empty());
    const std::filesystem::path started = folder.Path() / "started";
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_NOFILE, &saved), 0);
    ProcessResult r;
    {
        std::thread lower([&] {
            if (!WaitUntil([&] { return std::filesystem::exists(started); }))
                return;
            rlimit tight = saved;
            tight.rlim_cur = 2;
            setrlimit(RLIMIT_NOFILE, &tight);
        });
        // It writes on until its output is closed, then ends with 0; or gives
        // up after 30 seconds.
        r = RunProcess({"/bin/sh", "-c",
                        "trap 'exit 0' PIPE; echo partial; : >" + ShellWord(started.string()) +
                            "; i=0; while [ $i -lt 300 ]; do echo more; sleep 0.1; i=$((i + 1)); done"});
        lower.join();
        setrlimit(RLIMIT_NOFILE, &saved);
    }
    EXPECT_EQ(r.status, kRunFailed);
    EXPECT_EQ(r.errorOutput, "Reading the output of /bin/sh failed: Invalid argument\n");
    EXPECT_EQ(r.output.substr(0, r.output.find("more")).find_first_not_of("partial\n"), std::string::npos)
        << "what came before the failure is kept: " << r.output;
}

TEST(SplitLines, GivesTheLinesWithoutTheirBreaks)
{
    struct Case {
        std::string_view text;
        std::vector<std::string_view> lines;
    } cases[] = {
        {"", {}},
        {"a", {"a"}},
        {"a\n", {"a"}},
        {"a\nb", {"a", "b"}},
        {"a\n\nb\n", {"a", "", "b"}},
        {"\n", {""}},
        {"a\r\nb", {"a\r", "b"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(SplitLines(c.text), c.lines) << c.text;
}

// TrimSpace takes white space of every kind from both ends; TrimTrailingBlanks
// only blanks from the end.
TEST(Trim, SpaceOfEveryKindAtBothEndsOrBlanksAtTheEnd)
{
    struct Case {
        std::string_view text;
        std::string_view space;
        std::string_view trailingBlanks;
    } cases[] = {
        {"", "", ""},
        {"   ", "", ""},
        {" \t\r\n", "", " \t\r\n"},
        {"  a b  ", "a b", "  a b"},
        {"\xC2\xA0x\xC2\xA0", "x", "\xC2\xA0x\xC2\xA0"},
        {"a \xC2\xA0 ", "a", "a \xC2\xA0"},
        {"x\n", "x", "x\n"},
        {"x\t", "x", "x\t"},
        {"\xC3\xA9", "\xC3\xA9", "\xC3\xA9"},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TrimSpace(c.text), c.space) << c.text;
        EXPECT_EQ(TrimTrailingBlanks(c.text), c.trailingBlanks) << c.text;
    }
}

}  // namespace

namespace {

TEST(Utf8SequenceLength, WellFormedSequencesOnlyWithTheirValue)
{
    struct Case {
        const char* name;
        std::string_view text;
        size_t length;
        char32_t codePoint;  // when length > 0
    } cases[] = {
        {"ASCII", "a", 1, U'a'},
        {"two bytes", "\xC3\xA9", 2, U'\u00E9'},
        {"three bytes", "\xE2\x82\xAC", 3, U'\u20AC'},
        {"four bytes", "\xF0\x9F\x98\x80", 4, U'\U0001F600'},
        {"highest value", "\xF4\x8F\xBF\xBF", 4, U'\U0010FFFF'},
        {"stray continuation byte", "\x80", 0, 0},
        {"truncated", "\xE2\x82", 0, 0},
        {"lead followed by ASCII",
         "\xC3"
         "A",
         0, 0},
        {"overlong two bytes", "\xC0\xAF", 0, 0},
        {"overlong three bytes", "\xE0\x80\xAF", 0, 0},
        {"surrogate", "\xED\xA0\x80", 0, 0},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", 0, 0},
        {"not a lead byte", "\xFF", 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        char32_t codePoint = 0;
        EXPECT_EQ(Utf8SequenceLength(c.text, 0, codePoint), c.length);
        if (c.length > 0) {
            EXPECT_EQ(codePoint, c.codePoint);
        }
    }
}

}  // namespace
