// The real program, started as a user starts it: under a private Xvfb
// display, with fake diskutil and bless scripts first on PATH (the real
// shell pipes their output through grep and awk), ended with Ctrl+Q.

#include "TempFolder.h"
#include "base/Process.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

// A child process with its own environment; killed if still running at the end.
class Child {
public:
    Child(const std::vector<std::string>& argv, const std::vector<std::string>& env, bool quiet = false)
    {
        const std::vector<char*> args = ExecPointers(argv);
        const std::vector<char*> envp = ExecPointers(env);
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        if (quiet) {
            posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
            posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
        }
        if (posix_spawnp(&pid_, args[0], &actions, nullptr, args.data(), envp.data()) != 0)
            pid_ = -1;
        posix_spawn_file_actions_destroy(&actions);
    }
    ~Child()
    {
        if (pid_ > 0 && !Wait(0ms)) {
            kill(pid_, SIGKILL);
            waitpid(pid_, nullptr, 0);
        }
    }
    bool Started() const { return pid_ > 0; }
    // True once the child has ended within the time given; status then holds its exit.
    bool Wait(std::chrono::milliseconds limit)
    {
        if (ended_)
            return true;
        const auto until = std::chrono::steady_clock::now() + limit;
        do {
            int status = 0;
            if (waitpid(pid_, &status, WNOHANG) == pid_) {
                ended_ = true;
                status_ = status;
                return true;
            }
            std::this_thread::sleep_for(20ms);
        } while (std::chrono::steady_clock::now() < until);
        return false;
    }
    int Status() const { return status_; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    int status_ = 0;
};

std::string Slurp(const fs::path& path)
{
    std::ifstream in(path);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

class EndToEnd : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (RunProcess({"/bin/sh", "-c", "command -v Xvfb && command -v xdotool"}).status != 0)
            GTEST_SKIP() << "needs Xvfb and xdotool (scripts/install-deps.sh test installs them)";
        bin_.AddScript("diskutil", R"(echo "diskutil $*" >> ")" + (dir_ / "calls").string() +
                                       R"("
all() { cat <<'END'
   Device Identifier:        disk1
   Device Node:              /dev/disk1
   Volume Name:              Not applicable (no file system)
   Mounted:                  Not applicable (no file system)

**********

   Device Identifier:        disk1s1
   Device Node:              /dev/disk1s1
   Volume Name:              Macintosh Plain Disk
   Mounted:                  Yes

**********

   Device Identifier:        disk2s1
   Device Node:              /dev/disk2s1
   Volume Name:              USB STICK
   Mounted:                  No
END
}
# "info ID" describes that device alone.
if [ "$2" = -all ]; then all; else all | awk -v id="$2" 'BEGIN { RS = "\\*+\n" } index($0, " " id "\n")'; fi
)");
        bin_.AddScript("bless", R"(echo "bless $*" >> ")" + (dir_ / "calls").string() +
                                    R"("
echo /dev/disk1s1
)");
        // A display number of our own; Xvfb refuses one already taken.
        for (int n = 90 + static_cast<int>(getpid() % 50); n < 200 && !xvfb_; ++n) {
            display_ = ":" + std::to_string(n);
            auto server = std::make_unique<Child>(
                std::vector<std::string>{"Xvfb", display_, "-screen", "0", "1024x768x24", "-nolisten", "tcp"},
                Environment(false), true);
            std::this_thread::sleep_for(300ms);
            if (server->Started() && !server->Wait(0ms))
                xvfb_ = std::move(server);
        }
        ASSERT_TRUE(xvfb_) << "could not start Xvfb";
    }
    void TearDown() override { xvfb_.reset(); }

    std::vector<std::string> Environment(bool withFakeTools) const
    {
        std::vector<std::string> env;
        for (const std::string& entry : CurrentEnvironment())
            if (entry.rfind("PATH=", 0) != 0 && entry.rfind("DISPLAY=", 0) != 0 &&
                entry.rfind("QT_QPA_PLATFORM=", 0) != 0)
                env.push_back(entry);
        const char* path = std::getenv("PATH");
        env.push_back("PATH=" + (withFakeTools ? bin_.Path().string() + ":" : "") + (path ? path : kDefaultSearchPath));
        env.push_back("DISPLAY=" + display_);
        env.push_back("QT_QPA_PLATFORM=xcb");
        return env;
    }

    // The output of a command line run on the test's display.
    std::string X(const std::string& command) const
    {
        return RunProcess({"/bin/sh", "-c", command}, Environment(false)).output;
    }

    // A visible window whose name matches the pattern and whose size starts
    // with sizePrefix ("360x"), waited for while the application runs; "" if none came.
    std::string WaitForWindow(Child& app, const std::string& namePattern, const std::string& sizePrefix) const
    {
        for (int i = 0; i < 100; ++i) {
            if (app.Wait(0ms))
                return "";
            std::stringstream ids(X("xdotool search --onlyvisible --name '" + namePattern + "'"));
            std::string candidate;
            while (ids >> candidate)
                if (X("xdotool getwindowgeometry " + candidate).find(" " + sizePrefix) != std::string::npos)
                    return candidate;
            std::this_thread::sleep_for(100ms);
        }
        return "";
    }

    // The main window once the start-up scan has ended, and the height of its
    // menu bar (the content area is 320 high).
    std::string WaitForMainWindow(Child& app, int* menuBarHeight = nullptr) const
    {
        const std::string id = WaitForWindow(app, "^Tarnvik$", "360x");
        if (menuBarHeight && !id.empty()) {
            const std::string geometry = X("xdotool getwindowgeometry " + id);
            const size_t at = geometry.find("360x");
            *menuBarHeight = at == std::string::npos ? 0 : std::stoi(geometry.substr(at + 4)) - 320;
        }
        return id;
    }

    // Ctrl+Q typed in that window ends the application with status 0.
    void ExpectCtrlQEndsWithStatus0(Child& app, const std::string& id) const
    {
        X("xdotool windowactivate --sync " + id);
        X("xdotool windowfocus --sync " + id + " key --clearmodifiers ctrl+q");
        ASSERT_TRUE(app.Wait(10s)) << "Ctrl+Q did not end the application";
        ASSERT_TRUE(WIFEXITED(app.Status()));
        EXPECT_EQ(WEXITSTATUS(app.Status()), 0);
    }

    TempFolder work_;  // the tools' record of their calls
    TempFolder bin_;   // the fake tools, first on PATH
    const fs::path& dir_ = work_.Path();
    std::string display_;
    std::unique_ptr<Child> xvfb_;
};

TEST_F(EndToEnd, StartsScansThroughTheRealShellAndQuitsWithCtrlQ)
{
    Child app({std::string(TARNVIK_BIN_DIR) + "/tarnvik"}, Environment(true));
    ASSERT_TRUE(app.Started());
    const std::string id = WaitForMainWindow(app);
    ASSERT_FALSE(id.empty()) << "no main window on the display; ended: " << app.Wait(0ms);

    const std::string calls = Slurp(dir_ / "calls");
    EXPECT_EQ(calls, "diskutil info -all\ndiskutil info -all\ndiskutil info -all\nbless --getBoot\n");
    ExpectCtrlQEndsWithStatus0(app, id);
}

// The windows without a menu bar answer Ctrl+Q too.
TEST_F(EndToEnd, CtrlQFromTheInfoAndTheAboutWindowEndsTheProgramWithStatus0)
{
    const struct Case {
        const char* name;
        // What the user does in the main window to open the window.
        std::function<void(const std::string& main, int menuBar)> open;
        const char* namePattern;
        const char* sizePrefix;
    } cases[] = {
        {"the info window",
         [this](const std::string& main, int bar) {
             // The first row, then the i button.
             X("xdotool mousemove --window " + main + " 68 " + std::to_string(bar + 47) + " click 1");
             X("xdotool mousemove --window " + main + " 127 " + std::to_string(bar + 297) + " click 1");
         },
         "^Tarnvik: diskutil info ", "720x"},
        {"the about window",
         [this](const std::string& main, int bar) {
             // The program's menu, its first item.
             X("xdotool mousemove --window " + main + " 25 " + std::to_string(bar / 2) + " click 1");
             std::this_thread::sleep_for(300ms);
             X("xdotool key Down Return");
         },
         "^Tarnvik$", "360x200"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Child app({std::string(TARNVIK_BIN_DIR) + "/tarnvik"}, Environment(true));
        ASSERT_TRUE(app.Started());
        int menuBar = 0;
        const std::string main = WaitForMainWindow(app, &menuBar);
        ASSERT_FALSE(main.empty()) << "no main window on the display; ended: " << app.Wait(0ms);
        ASSERT_GT(menuBar, 0);
        X("xdotool windowfocus --sync " + main);
        c.open(main, menuBar);
        const std::string id = WaitForWindow(app, c.namePattern, c.sizePrefix);
        ASSERT_FALSE(id.empty()) << "the window did not open";
        ExpectCtrlQEndsWithStatus0(app, id);
    }
}

}  // namespace
