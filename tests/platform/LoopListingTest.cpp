#include "TestSupport.h"

#include "LoopDevices.h"
#include "base/TextLines.h"

#include <gtest/gtest.h>

#include <map>
#include <tuple>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";
// The volume names of this test process: its mounts never meet another run's.
const std::string kClaimed = TestName("PL CLAIMED");
const std::string kMulti = TestName("PL Multi");

// The value after a key such as "Mounted:" in an info entry.
std::string Field(const std::string& info, const std::string& key)
{
    for (const auto& line : Lines(info))
        if (line.rfind("   " + key, 0) == 0)
            return std::string(TrimSpace(line.substr(3 + key.size())));
    ADD_FAILURE() << "no " << key << " in " << info;
    return {};
}

std::string InfoOf(const std::string& id)
{
    auto info = RunTool("diskutil", {"info", id});
    EXPECT_EQ(info.status, 0) << info.errorOutput;
    return info.output;
}

TEST(DiskLoopListing, FileSystemOnNoDeviceIsNotTheDeviceItNames)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    TempFolder images;
    ASSERT_EQ(MakeImage(images.Path() / "claimed.img", "ext4", kClaimed, 16), "");
    TempFolder claim;
    const fs::path point = kMedia / kClaimed;
    LoopDevice device(images.Path() / "claimed.img", point);
    ASSERT_EQ(device.Error(), "");
    const std::string id = device.Id();
    // Any file system can give a device's node as its source; a tmpfs still lives on no device.
    TmpfsMount claimed(claim.Path(), device.Node());
    ASSERT_EQ(claimed.Error(), "");
    const std::vector<std::string> onlyTheTmpfs = {claim.Path().string()};

    EXPECT_EQ(Field(InfoOf(id), "Mounted:"), "No");
    auto unmounted = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(unmounted.status, 0);
    EXPECT_EQ(unmounted.output, "Volume " + kClaimed + " on " + id + " is not mounted\n");
    EXPECT_EQ(MountTargets(device.Node()), onlyTheTmpfs);

    // Mounted for real, it shows its own mount, and unmounting it leaves the tmpfs alone.
    auto mounted = RunTool("diskutil", {"mount", id});
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    EXPECT_EQ(mounted.output, "Volume " + kClaimed + " on " + id + " mounted\n");
    EXPECT_EQ(Field(InfoOf(id), "Mount Point:"), point.string());
    unmounted = RunTool("diskutil", {"unmount", id});
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume " + kClaimed + " on " + id + " unmounted\n");
    EXPECT_EQ(MountTargets(device.Node()), onlyTheTmpfs);
    EXPECT_FALSE(fs::exists(point));
}

TEST(DiskLoopListing, EveryDeviceOfABtrfsOverTwoIsMounted)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    if (const std::string why = WhyNoBtrfs(); !why.empty())
        GTEST_SKIP() << why;
    TempFolder images;
    const fs::path point = kMedia / kMulti;
    BtrfsOverTwo btrfs(images.Path(), kMulti, point);
    ASSERT_EQ(btrfs.Error(), "");
    const LoopDevice& a = btrfs.First();
    const LoopDevice& b = btrfs.Second();

    auto mounted = RunTool("diskutil", {"mount", a.Id()});
    if (mounted.status != 0 && !KernelHas("btrfs"))
        GTEST_SKIP() << "the kernel has no btrfs: " << mounted.errorOutput;
    ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
    for (const LoopDevice* device : {&a, &b}) {
        SCOPED_TRACE(device->Id());
        const std::string info = InfoOf(device->Id());
        EXPECT_EQ(Field(info, "Mounted:"), "Yes");
        EXPECT_EQ(Field(info, "Mount Point:"), point.string());
        auto again = RunTool("diskutil", {"mount", device->Id()});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.output,
                  "Volume " + kMulti + " on " + device->Id() + " is already mounted at " + point.string() + "\n");
    }
    EXPECT_EQ(MountTargets(a.Node()), std::vector<std::string>{point.string()});
    EXPECT_TRUE(MountTargets(b.Node()).empty());

    auto unmounted = RunTool("diskutil", {"unmount", b.Id()});
    EXPECT_EQ(unmounted.status, 0) << unmounted.errorOutput;
    EXPECT_EQ(unmounted.output, "Volume " + kMulti + " on " + b.Id() + " unmounted\n");
    EXPECT_TRUE(MountTargets(a.Node()).empty());
    EXPECT_FALSE(fs::exists(point));
    for (const LoopDevice* device : {&a, &b})
        EXPECT_EQ(Field(InfoOf(device->Id()), "Mounted:"), "No") << device->Id();
}

// What a partition holds, as info shows it.
struct Volume {
    std::string name;
    std::string type;
    std::string uuid;
};

TEST(DiskLoopListing, PartitionsReadAnewAreNotTakenForEachOther)
{
    if (const std::string why = WhyNoLoopDevices(); !why.empty())
        GTEST_SKIP() << why;
    if (RunWithSbin("command -v sfdisk && command -v delpart && command -v addpart && command -v blkid").status != 0)
        GTEST_SKIP() << "needs sfdisk, delpart, addpart and blkid (util-linux)";
    // Two partitions of the same size, their file systems written into the image before it is attached,
    // so nothing is ever written through the device: its write counters cannot tell them apart.
    constexpr uint64_t kFirst = 2048;
    constexpr uint64_t kSecond = 34816;
    constexpr uint64_t kLength = 32768;
    TempFolder images;
    const fs::path disk = images.Path() / "gpt.img";
    ASSERT_EQ(MakeImage(disk, "", "", 40), "");
    ASSERT_EQ(MakeImage(images.Path() / "one.img", "ext4", "GptOne", 16), "");
    ASSERT_EQ(MakeImage(images.Path() / "two.img", "vfat", "GPTTWO", 16), "");
    auto table = RunWithSbin("printf 'label: gpt\\nstart=2048, size=32768\\nstart=34816, size=32768\\n' | sfdisk -q " +
                             ShellWord(disk.string()));
    ASSERT_EQ(table.status, 0) << table.errorOutput;
    std::map<uint64_t, Volume> at;  // by first sector
    for (const auto& [file, name, type, start] :
         {std::tuple{"one.img", "GptOne", "ext4", kFirst}, std::tuple{"two.img", "GPTTWO", "vfat", kSecond}}) {
        const fs::path image = images.Path() / file;
        auto copied = RunWithSbin("dd status=none conv=notrunc bs=512 seek=" + std::to_string(start) +
                                  " if=" + ShellWord(image.string()) + " of=" + ShellWord(disk.string()));
        ASSERT_EQ(copied.status, 0) << copied.errorOutput;
        std::string uuid(TrimSpace(RunWithSbin("blkid -p -o value -s UUID " + ShellWord(image.string())).output));
        ASSERT_FALSE(uuid.empty());
        at[start] = {name, type, uuid};
    }
    LoopDevice device(disk, {}, LoopDevice::Partitions::Read);
    ASSERT_EQ(device.Error(), "");
    const std::string node = ShellWord(device.Node());
    auto readAnew = [&](const std::vector<std::pair<int, uint64_t>>& partitions) {
        std::string line = "for p in /sys/block/" + device.Id() + "/" + device.Id() +
                           "p*; do [ ! -e \"$p\" ] || delpart " + node + " \"$(cat \"$p/partition\")\" || exit; done";
        for (const auto& [number, start] : partitions)
            line += " && addpart " + node + " " + std::to_string(number) + " " + std::to_string(start) + " " +
                    std::to_string(kLength);
        auto done = RunWithSbin(line);
        ASSERT_EQ(done.status, 0) << done.errorOutput;
    };

    struct Case {
        const char* what;
        std::vector<std::pair<int, uint64_t>> added;  // number and first sector, in the order they are added
    };
    const Case cases[] = {
        {"the second first", {{2, kSecond}, {1, kFirst}}},
        {"in their order", {{1, kFirst}, {2, kSecond}}},
        {"the first where the second was", {{1, kSecond}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        readAnew({{1, kFirst}, {2, kSecond}});
        // Remembered for a few seconds: the next listings of a scan follow within them.
        ASSERT_EQ(RunTool("diskutil", {"info", "-all"}).status, 0);
        readAnew(c.added);
        for (const auto& [number, start] : c.added) {
            const std::string id = device.Id() + "p" + std::to_string(number);
            SCOPED_TRACE(id);
            const std::string info = InfoOf(id);
            EXPECT_EQ(Field(info, "Volume Name:"), at[start].name);
            EXPECT_EQ(Field(info, "File System Personality:"), at[start].type);
            EXPECT_EQ(Field(info, "Volume UUID:"), at[start].uuid);
        }
    }
}

}  // namespace
