#pragma once

#include "TestSupport.h"

#include <sys/types.h>

#include <filesystem>
#include <string>
#include <vector>

// The ordinary user's way to mount, for real: a udev daemon, a system bus of
// its own (on a socket in a temporary folder, so no other bus is touched), a
// polkit daemon and a udisks daemon, a test user and a polkit rule that lets
// only that user use udisks. Needs root and the Debian packages udev,
// dbus-daemon, polkitd and udisks2.
//
// Every daemon is stopped by its process id and everything it made is
// removed on the way out: the rule, the user, /run/udev, /run/udisks2, the
// links under /dev, the user's folder under /media, the bus socket. The
// daemons also get SIGTERM when the test process dies first.
class UdisksSystem {
public:
    UdisksSystem();
    ~UdisksSystem();
    UdisksSystem(const UdisksSystem&) = delete;
    UdisksSystem& operator=(const UdisksSystem&) = delete;

    // Why the system could not be started; empty when it runs.
    const std::string& WhyNot() const { return whyNot_; }

    const std::string& User() const { return user_; }
    // Where udisks mounts the test user's volumes.
    std::filesystem::path MediaFolder() const { return "/media/" + user_; }

    // Has udev record the device and waits until udisks knows what it holds.
    std::string Announce(const std::string& node);

    // argv run as the test user (authorized) or as nobody (whom no rule lets
    // in), on the private bus.
    std::vector<std::string> AsUser(bool authorized, const std::vector<std::string>& argv) const;
    std::vector<std::string> Environment() const;
    // The diskutil stand-in, copied where any user may run it.
    std::string Diskutil() const { return (folder_.Path() / "diskutil").string(); }

private:
    std::string Start();
    pid_t Spawn(const std::vector<std::string>& argv, const std::string& log);
    void StopAll();

    std::string whyNot_;
    TempFolder folder_;
    std::string bus_;
    std::string user_;
    std::filesystem::path rule_;
    std::vector<pid_t> daemons_;                   // in start order
    std::vector<std::filesystem::path> madeHere_;  // folders that did not exist before
    bool userMade_ = false;
};
