#include "UdisksSystem.h"

#include "platform/TextFile.h"

#include <fcntl.h>
#include <pwd.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/prctl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <thread>

namespace fs = std::filesystem;

namespace {

const char* const kSearchPath = "/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin";

// The first of the places a Debian package puts a program.
std::string Installed(std::initializer_list<const char*> places)
{
    for (const char* place : places)
        if (::access(place, X_OK) == 0)
            return place;
    return {};
}

template <typename Ready>
bool WaitFor(Ready ready, int seconds = 10)
{
    for (int i = 0; i < seconds * 50; ++i) {
        if (ready())
            return true;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    return false;
}

bool Exists(const fs::path& path)
{
    std::error_code error;
    return fs::exists(fs::symlink_status(path, error));
}

// Ends a daemon we started: politely, then for sure.
void Stop(pid_t pid)
{
    ::kill(pid, SIGTERM);
    for (int i = 0; i < 150; ++i) {
        if (::waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(pid, SIGKILL);
    ::waitpid(pid, nullptr, 0);
}

const char* const kBusConfig = R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <auth>EXTERNAL</auth>
  <listen>unix:path=@SOCKET@</listen>
  <policy context="default">
    <allow user="*"/>
    <deny own="*"/>
    <deny send_type="method_call"/>
    <allow send_type="signal"/>
    <allow send_requested_reply="true" send_type="method_return"/>
    <allow send_requested_reply="true" send_type="error"/>
    <allow receive_type="method_call"/>
    <allow receive_type="method_return"/>
    <allow receive_type="error"/>
    <allow receive_type="signal"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Introspectable"/>
    <allow send_destination="org.freedesktop.DBus" send_interface="org.freedesktop.DBus.Properties"/>
  </policy>
  <includedir>/usr/share/dbus-1/system.d</includedir>
</busconfig>
)";

}  // namespace

UdisksSystem::UdisksSystem()
{
    whyNot_ = Start();
    if (!whyNot_.empty())
        StopAll();
}

UdisksSystem::~UdisksSystem()
{
    StopAll();
}

pid_t UdisksSystem::Spawn(const std::vector<std::string>& argv, const std::string& log)
{
    const std::vector<std::string> environment = Environment();
    std::vector<char*> args = ExecPointers(argv);
    std::vector<char*> env = ExecPointers(environment);
    const std::string logPath = (folder_.Path() / log).string();
    const pid_t parent = ::getpid();

    pid_t pid = ::fork();
    if (pid == 0) {
        // A daemon never outlives the test that started it.
        ::prctl(PR_SET_PDEATHSIG, SIGTERM);
        if (::getppid() != parent)
            ::_exit(127);
        ::setpgid(0, 0);
        int out = ::open(logPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
        int in = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (out < 0 || in < 0 || ::dup2(in, 0) < 0 || ::dup2(out, 1) < 0 || ::dup2(out, 2) < 0)
            ::_exit(127);
        ::execve(args[0], args.data(), env.data());
        ::_exit(127);
    }
    if (pid > 0)
        daemons_.push_back(pid);
    return pid;
}

std::vector<std::string> UdisksSystem::Environment() const
{
    std::vector<std::string> environment = {"PATH=" + std::string(kSearchPath), "LC_ALL=C.UTF-8", "HOME=/",
                                            "DBUS_SYSTEM_BUS_ADDRESS=unix:path=" + bus_};
    // An instrumented build's tools need their settings wherever they run.
    for (const char* name : {"ASAN_OPTIONS", "LSAN_OPTIONS", "UBSAN_OPTIONS"})
        if (const char* value = std::getenv(name))
            environment.push_back(std::string(name) + "=" + value);
    return environment;
}

std::vector<std::string> UdisksSystem::AsUser(bool authorized, const std::vector<std::string>& argv) const
{
    std::vector<std::string> full = {"/usr/bin/setpriv", "--clear-groups"};
    if (authorized) {
        const passwd* entry = ::getpwnam(user_.c_str());
        full.push_back("--reuid=" + std::to_string(entry ? entry->pw_uid : 65534));
        full.push_back("--regid=" + std::to_string(entry ? entry->pw_gid : 65534));
    } else {
        full.insert(full.end(), {"--reuid=65534", "--regid=65534"});
    }
    full.push_back("--");
    full.insert(full.end(), argv.begin(), argv.end());
    return full;
}

std::string UdisksSystem::Start()
{
    if (::geteuid() != 0 || !Exists("/dev/loop-control"))
        return "needs root and /dev/loop-control";
    const std::string udevd = Installed({"/lib/systemd/systemd-udevd", "/usr/lib/systemd/systemd-udevd"});
    const std::string udevadm = Installed({"/usr/bin/udevadm", "/bin/udevadm"});
    const std::string busDaemon = Installed({"/usr/bin/dbus-daemon", "/bin/dbus-daemon"});
    const std::string polkitd = Installed({"/usr/lib/polkit-1/polkitd", "/usr/libexec/polkitd"});
    const std::string udisksd = Installed({"/usr/libexec/udisks2/udisksd", "/usr/lib/udisks2/udisksd"});
    const std::string udisksctl = Installed({"/usr/bin/udisksctl"});
    if (udevd.empty() || udevadm.empty() || busDaemon.empty() || polkitd.empty() || udisksd.empty() ||
        udisksctl.empty() || !Exists("/usr/bin/setpriv") || !Exists("/usr/sbin/useradd"))
        return "needs the Debian packages udev, dbus-daemon, polkitd and udisks2 (scripts/install-deps.sh test)";
    if (!fs::is_directory("/etc/polkit-1/rules.d"))
        return "polkitd keeps no rules in /etc/polkit-1/rules.d here";
    // The machine's own daemons must not be disturbed, nor be mistaken for ours.
    for (const char* taken : {"/run/udev", "/run/udisks2"})
        if (Exists(taken))
            return std::string(taken) + " exists: a udev or udisks daemon of the machine may run here";
    if (folder_.Path().empty())
        return "no temporary folder";

    fs::permissions(folder_.Path(), fs::perms::owner_all | fs::perms::group_read | fs::perms::group_exec |
                                        fs::perms::others_read | fs::perms::others_exec);
    std::error_code error;
    fs::copy_file(ToolPath("diskutil"), Diskutil(), error);
    if (error)
        return "cannot copy diskutil: " + error.message();
    for (const char* path : {"/run/udev", "/run/udisks2", "/run/mount", "/dev/disk", "/dev/block", "/dev/char"})
        if (!Exists(path))
            madeHere_.emplace_back(path);

    // udev first: udisks learns about devices from it.
    if (Spawn({udevd}, "udevd.log") < 0 || !WaitFor([] { return Exists("/run/udev/control"); }))
        return "systemd-udevd did not start";

    bus_ = (folder_.Path() / "bus").string();
    std::string config = kBusConfig;
    config.replace(config.find("@SOCKET@"), 8, bus_);
    std::ofstream(folder_.Path() / "bus.conf") << config;
    if (Spawn({busDaemon, "--nofork", "--nopidfile", "--config-file=" + (folder_.Path() / "bus.conf").string()},
              "bus.log") < 0 ||
        !WaitFor([this] { return Exists(bus_); }))
        return "the system bus did not start";

    user_ = "tvk-udisks-" + std::to_string(::getpid() % 100000);
    ProcessResult made = RunProcess({"/usr/sbin/useradd", "--system", "--no-create-home", "--home-dir", "/", "--shell",
                                     "/usr/sbin/nologin", "--user-group", user_});
    if (made.status != 0)
        return "cannot create the test user: " + made.errorOutput;
    userMade_ = true;
    rule_ = "/etc/polkit-1/rules.d/49-" + user_ + ".rules";
    std::ofstream(rule_) << "// Test rule of the Tarnvik test suite; removed when the test ends.\n"
                            "polkit.addRule(function(action, subject) {\n"
                            "    if (action.id.indexOf(\"org.freedesktop.udisks2.\") == 0 && subject.user == \""
                         << user_ << "\")\n"
                         << "        return polkit.Result.YES;\n"
                            "});\n";
    fs::permissions(rule_,
                    fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read | fs::perms::others_read);

    if (Spawn({polkitd, "--no-debug"}, "polkitd.log") < 0 || Spawn({udisksd}, "udisksd.log") < 0)
        return "cannot start polkitd and udisksd";
    const std::vector<std::string> status = {udisksctl, "status"};
    if (!WaitFor([&] { return RunProcess(status, Environment()).status == 0; }))
        return "udisksd did not answer on the bus: " + TextFile::Read(folder_.Path() / "udisksd.log").value_or("") +
               TextFile::Read(folder_.Path() / "polkitd.log").value_or("");
    return {};
}

std::string UdisksSystem::Announce(const std::string& node)
{
    const std::string name = fs::path(node).filename().string();
    ProcessResult added = RunProcess(
        {"/usr/bin/udevadm", "trigger", "--action=add", "--settle", "/sys/class/block/" + name}, Environment());
    if (added.status != 0)
        return "udevadm trigger failed: " + added.errorOutput;
    const std::vector<std::string> info = {"/usr/bin/udisksctl", "info", "-b", node};
    bool known = WaitFor(
        [&] {
            ProcessResult shown = RunProcess(info, Environment());
            return shown.status == 0 && shown.output.find("IdType:                     ") != std::string::npos &&
                   shown.output.find("IdType:                     \n") == std::string::npos;
        },
        5);
    return known ? std::string() : "udisks did not learn what " + node + " holds";
}

void UdisksSystem::StopAll()
{
    // What udisks mounted for the user goes first; a folder is only ever removed when empty.
    std::error_code error;
    if (!user_.empty() && fs::is_directory(MediaFolder(), error)) {
        for (fs::directory_iterator it(MediaFolder(), error), end; !error && it != end; it.increment(error)) {
            ::umount2(it->path().c_str(), MNT_DETACH);
            ::rmdir(it->path().c_str());
        }
        ::rmdir(MediaFolder().c_str());
    }
    // Newest first: udisksd and polkitd, then the bus, then udevd.
    for (auto it = daemons_.rbegin(); it != daemons_.rend(); ++it)
        Stop(*it);
    daemons_.clear();
    if (!rule_.empty())
        fs::remove(rule_, error);
    if (userMade_)
        RunProcess({"/usr/sbin/userdel", user_});
    userMade_ = false;
    // udev's records and links, udisks' state: left behind they would describe devices that are gone.
    for (const auto& path : madeHere_)
        fs::remove_all(path, error);
    madeHere_.clear();
}
