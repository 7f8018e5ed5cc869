#pragma once

#include "DeviceListFixture.h"
#include "TempFolder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

// The application through the real shell, grep and awk, with a diskutil and
// a bless of the test's own first on PATH. The diskutil writes each of its
// command lines to a log and answers:
//   info -all    with all-N.txt on its Nth call since the calls were last
//                taken when there is one, else all.txt;
//   info ID      with entries/ID, or "Could not find disk" and status 1 when
//                there is none; info-fails.txt, when there is one, holds the
//                status it fails with instead;
//   mount ID, unmount ID   with a line saying it did, status 0.
// bless says the boot volume is disk1s1.
class FakeDiskutilTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        shell.Remove();
        const std::string d = "'" + dir_.string() + "'";
        tools_.AddScript("diskutil", "echo \"$*\" >> " + d +
                                         "/calls.log\n"
                                         "case \"$1 $2\" in\n"
                                         "'info -all')\n"
                                         "  n=$(grep -c '^info -all$' " +
                                         d + "/calls.log)\n  if [ -f " + d + "/all-$n.txt ]; then cat " + d +
                                         "/all-$n.txt; else cat " + d +
                                         "/all.txt; fi ;;\n"
                                         "info\\ *)\n"
                                         "  if [ -f " +
                                         d +
                                         "/info-fails.txt ]; then echo 'diskutil: internal error' >&2; exit $(cat " +
                                         d + "/info-fails.txt); fi\n  cat " + d +
                                         "/entries/\"$2\" 2>/dev/null || { echo \"Could not find disk: $2\" >&2; exit "
                                         "1; } ;;\n"
                                         "*) echo \"$1 of $2 done\" ;;\n"
                                         "esac\n");
        tools_.AddScript("bless", "echo /dev/disk1s1");
        std::filesystem::create_directory(dir_ / "entries");
        ::setenv("PATH", (dir_.string() + ":" + path_.Value().value_or("/usr/bin:/bin")).c_str(), 1);
    }

    void Write(const std::string& file, const std::string& text) const { std::ofstream(dir_ / file) << text; }
    // The devices the diskutil knows from now on, in the order "info -all" lists them.
    void Devices(const std::vector<Row>& rows) const
    {
        std::string all;
        std::filesystem::remove_all(dir_ / "entries");
        std::filesystem::create_directory(dir_ / "entries");
        for (const Row& row : rows) {
            const std::string entry = InfoEntry(row.identifier, row.name.c_str(), row.mounted);
            Write("entries/" + row.identifier, entry);
            all += entry;
        }
        Write("all.txt", all);
    }
    // The diskutil command lines run so far, and forgets them.
    std::vector<std::string> TakeCalls() const
    {
        std::vector<std::string> calls;
        std::ifstream log(dir_ / "calls.log");
        for (std::string line; std::getline(log, line);)
            calls.push_back(line);
        std::filesystem::remove(dir_ / "calls.log");
        return calls;
    }

    TempFolder tools_;
    const std::filesystem::path& dir_ = tools_.Path();

private:
    SavedVariable path_{"PATH"};
};
