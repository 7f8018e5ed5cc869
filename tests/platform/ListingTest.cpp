#include "TestSupport.h"

#include "platform/DiskList.h"
#include "platform/EntryFormatter.h"
#include "platform/Mounter.h"
#include "platform/SysfsBlockDevices.h"

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <string>

namespace fs = std::filesystem;

namespace {

class DiskListing : public ::testing::Test {
protected:
    static void SetUpTestSuite() { system_ = std::make_unique<FakeSystem>(); }
    static void TearDownTestSuite() { system_.reset(); }

    void SetUp() override
    {
        ASSERT_EQ(system_->Error(), "");
        ASSERT_TRUE(disks_.Load()) << disks_.Error();
        disks_.ProbeAll();
    }

    const DiskEntry& Entry(const std::string& id)
    {
        const DiskEntry* entry = disks_.Find(id);
        EXPECT_NE(entry, nullptr) << id;
        static const DiskEntry none;
        return entry ? *entry : none;
    }

    static std::unique_ptr<FakeSystem> system_;
    DiskList disks_{SystemRoot(system_->Root())};
};

std::unique_ptr<FakeSystem> DiskListing::system_;

TEST_F(DiskListing, DisksInNaturalOrderEachFollowedByItsPartitions)
{
    // loop3 (unbound), loop4 (size 0), loop5 (no backing file) and sr0 (no medium) are left out.
    std::vector<std::string> ids;
    for (const auto& entry : disks_.Entries())
        ids.push_back(entry.identifier);
    EXPECT_EQ(ids, (std::vector<std::string>{"dm-0", "loop2", "loop10", "sdb", "sdc", "vda", "vda1", "vda2", "vda3",
                                             "vda10"}));

    const DiskEntry& vda = Entry("vda");
    EXPECT_TRUE(vda.whole);
    EXPECT_EQ(vda.partitions, (std::vector<std::string>{"vda1", "vda2", "vda3", "vda10"}));
    const DiskEntry& vda10 = Entry("vda10");
    EXPECT_FALSE(vda10.whole);
    EXPECT_EQ(vda10.wholeIdentifier, "vda");
}

struct Expected {
    const char* id;
    const char* volumeName;
    const char* mounted;
    const char* mountPoint;
    const char* personality;
};

TEST_F(DiskListing, EachDeviceDescribedFromTheRightSource)
{
    const Expected cases[] = {
        // udev database only (no node); hostile label, mounted under its /dev/mapper name
        {"dm-0", "Backup\nMounted: x\tVolume Name: y", "Yes", "/srv/backup", "xfs"},
        {"loop2", "Untitled", "No", "", "vfat"},  // blkid: unlabelled file system
        {"loop10", "Not applicable (no file system)", "Not applicable (no file system)", "", ""},
        // no node, no udev record; mountinfo has "/dev/sdb" but for another device number
        {"sdb", "Unknown", "No", "", ""},
        {"sdc", "Device Node: x", "No", "", "ext4"},
        // unreadable, but it holds partitions
        {"vda", "Not applicable (no file system)", "Not applicable (no file system)", "", ""},
        // blkid wins over the stale udev record; mounted as /dev/root
        {"vda1", "ROOT FS", "Yes", "/", "ext4"},
        {"vda2", "Untitled", "Swap", "[SWAP]", "swap"},
        {"vda3", "spare", "No", "", "swap"},       // a swap area not in use
        {"vda10", "Data Disk", "No", "", "ext4"},  // udev ID_FS_LABEL_ENC decoded
    };
    for (const auto& expected : cases) {
        SCOPED_TRACE(expected.id);
        const DiskEntry& entry = Entry(expected.id);
        EXPECT_EQ(entry.VolumeName(), expected.volumeName);
        EXPECT_EQ(entry.MountedText(), expected.mounted);
        EXPECT_EQ(entry.mountPoint, expected.mountPoint);
        EXPECT_EQ(entry.Personality(), expected.personality);
    }
}

TEST_F(DiskListing, SysfsFactsAndIdentity)
{
    const DiskEntry& sdb = Entry("sdb");
    EXPECT_TRUE(sdb.readOnly);
    EXPECT_TRUE(sdb.removable);
    EXPECT_EQ(sdb.sizeBytes, 4096u * 512);
    EXPECT_EQ(sdb.device, (DeviceNumber{8, 16}));

    const DiskEntry& dm = Entry("dm-0");
    EXPECT_EQ(dm.DeviceNode(), "/dev/dm-0");
    EXPECT_EQ(dm.mapperName, "vg-data");
    EXPECT_EQ(Entry("loop10").backingFile, "/srv/images/raw disk.img");
    // A line break in the path is kept, and shown as a space like every other control character.
    EXPECT_EQ(Entry("loop2").backingFile, "/srv/images/stick\nB.img");
    EXPECT_NE(EntryFormatter::Entry(Entry("loop2")).find("   Backing File:             /srv/images/stick B.img\n"),
              std::string::npos);
    EXPECT_FALSE(Entry("vda1").uuid.empty());
    EXPECT_EQ(Entry("vda10").uuid, "8d1e6a52-3f0b-4e3f-8a4c-2b9c7e1f0a33");
}

TEST_F(DiskListing, FindsByNameNodeAndMapperNode)
{
    EXPECT_EQ(disks_.Find("/dev/vda10"), disks_.Find("vda10"));
    EXPECT_EQ(disks_.Find("/dev/mapper/vg-data"), disks_.Find("dm-0"));
    for (const char* unknown : {"", "foo", "loop3", "/dev/", "/dev/../sdb", "vda1 ", "/dev/mapper/nope", "dev/sdb"})
        EXPECT_EQ(disks_.Find(unknown), nullptr) << unknown;
}

TEST_F(DiskListing, PairedLabelsOnceInEveryEntryDespiteHostileLabels)
{
    std::string all = EntryFormatter::All(disks_.Entries());
    size_t devices = disks_.Entries().size();
    for (const char* label : {"Volume Name:", "Device Node:", "Mounted:"})
        EXPECT_EQ(Count(all, label), devices) << label;

    // Each paired label starts its own key line.
    for (const auto& line : Lines(all)) {
        for (const char* label : {"Volume Name:", "Device Node:", "Mounted:"})
            if (line.find(label) != std::string::npos) {
                EXPECT_EQ(line.find(label), 3u) << line;
            }
    }
    EXPECT_NE(all.find("   Volume Name:              Backup Mounted x Volume Name y\n"), std::string::npos);
    EXPECT_NE(all.find("   Volume Name:              Device Node x\n"), std::string::npos);
}

TEST(DiskListingRoots, AnonymousDeviceNumbersMatchBySource)
{
    // btrfs reports mounts under an anonymous number (0:N); only the source names the device.
    FakeSystem system;
    ASSERT_EQ(system.Error(), "");
    fs::copy_file(FixturePath("anonymous/mountinfo"), system.Root() / "proc/self/mountinfo",
                  fs::copy_options::overwrite_existing);
    DiskList disks{SystemRoot(system.Root())};
    ASSERT_TRUE(disks.Load());
    disks.ProbeAll();
    const Expected cases[] = {
        {"sdc", "Device Node: x", "Yes", "/mnt/pool", "ext4"},  // its whole file system, not the subvolume
        {"dm-0", "Backup\nMounted: x\tVolume Name: y", "Yes", "/srv/snapshots", "xfs"},  // by its mapper name
        {"vda10", "Data Disk", "No", "", "ext4"},  // a FUSE mount's claim counts for nothing
        {"loop2", "Untitled", "No", "", "vfat"},   // nor does a tmpfs's, which lives on no device
        {"vda1", "ROOT FS", "Yes", "/", "ext4"},   // a real device number still counts as it is
    };
    for (const auto& expected : cases) {
        SCOPED_TRACE(expected.id);
        const DiskEntry* entry = disks.Find(expected.id);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->VolumeName(), expected.volumeName);
        EXPECT_EQ(entry->MountedText(), expected.mounted);
        EXPECT_EQ(entry->mountPoint, expected.mountPoint);
        EXPECT_EQ(entry->Personality(), expected.personality);
    }
    EXPECT_EQ(disks.Mounts().MountsOf({8, 32}).size(), 2u);
    EXPECT_TRUE(disks.HoldsSystemVolume({254, 1}));
}

TEST(DiskListingRoots, EveryDeviceOfAFileSystemOverSeveralIsMounted)
{
    // mountinfo names one device of each btrfs file system; sysfs lists all of them.
    FakeSystem system;
    ASSERT_EQ(system.Error(), "");
    const fs::path& r = system.Root();
    std::ofstream(r / "proc/self/mountinfo") << "26 1 0:30 /@ / rw - btrfs /dev/vda1 rw\n"
                                                "40 26 0:52 / /mnt/pool rw - btrfs /dev/sdc rw\n";
    const std::pair<const char*, std::vector<std::pair<const char*, const char*>>> fileSystems[] = {
        {"8e0c", {{"vda1", "254:1"}, {"vda10", "254:10"}}},
        {"51aa", {{"sdb", "8:16"}, {"sdc", "8:32"}}},
    };
    for (const auto& [uuid, members] : fileSystems) {
        for (const auto& [name, number] : members) {
            fs::create_directories(r / "sys/fs/btrfs" / uuid / "devices" / name);
            std::ofstream(r / "sys/fs/btrfs" / uuid / "devices" / name / "dev") << number << "\n";
        }
    }
    DiskList disks{SystemRoot(r)};
    ASSERT_TRUE(disks.Load());
    const std::pair<const char*, const char*> mounted[] = {
        {"vda1", "/"}, {"vda10", "/"}, {"sdc", "/mnt/pool"}, {"sdb", "/mnt/pool"}, {"loop2", ""}};
    for (const auto& [id, point] : mounted) {
        SCOPED_TRACE(id);
        const DiskEntry* entry = disks.Find(id);
        ASSERT_NE(entry, nullptr);
        EXPECT_EQ(entry->MountedText(), *point ? "Yes" : "No");
        EXPECT_EQ(entry->mountPoint, point);
    }
    // Unmounting any device of the system's own file system would unmount "/".
    EXPECT_TRUE(disks.HoldsSystemVolume({254, 10}));
    EXPECT_FALSE(disks.HoldsSystemVolume({8, 16}));
    EXPECT_EQ(Mounter(disks).Unmount("vda10").message, "Unmount of vda10 failed: vda10 holds the system volume (/)");
}

TEST(DiskListingRoots, UdevRecordsOfEarlierMediaAreIgnored)
{
    // Left behind by a udev daemon that stopped: each names the disk sequence
    // number of the media it described. Nothing can be probed (no nodes).
    TempFolder root;
    const fs::path& r = root.Path();
    auto write = [&](const std::string& file, const std::string& text) {
        fs::create_directories((r / file).parent_path());
        std::ofstream(r / file) << text;
    };
    write("sys/block/loop0/dev", "7:0\n");
    write("sys/block/loop0/size", "8\n");
    write("sys/block/loop0/loop/backing_file", "/srv/b.img\n");
    write("sys/block/loop0/diskseq", "21\n");
    write("sys/block/sdd/dev", "8:48\n");
    write("sys/block/sdd/size", "64\n");
    write("sys/block/sdd/diskseq", "30\n");
    for (const char* part : {"1", "2"}) {
        write("sys/block/sdd/sdd" + std::string(part) + "/dev", "8:" + std::to_string(48 + std::stoi(part)) + "\n");
        write("sys/block/sdd/sdd" + std::string(part) + "/size", "8\n");
        write("sys/block/sdd/sdd" + std::string(part) + "/partition", std::string(part) + "\n");
    }
    write("run/udev/data/b8:48", "S:disk/by-diskseq/29\n");  // the disk had other media then
    write("run/udev/data/b8:49", "E:ID_FS_TYPE=ext4\nE:ID_FS_LABEL=P1\n");
    write("run/udev/data/b8:50", "S:disk/by-diskseq/30-part2\nE:ID_FS_TYPE=ext4\nE:ID_FS_LABEL=P2\n");
    // The table was read anew: the device number sdd3 had before is now sdd4's.
    write("sys/block/sdd/sdd4/dev", "8:51\n");
    write("sys/block/sdd/sdd4/size", "8\n");
    write("sys/block/sdd/sdd4/partition", "4\n");
    write("run/udev/data/b8:51", "S:disk/by-diskseq/30-part3\nE:ID_FS_TYPE=ext4\nE:ID_FS_LABEL=P3\n");

    const std::pair<std::string, std::string> loopRecords[] = {
        {"S:disk/by-diskseq/21\n", "OLD"},      // this very media
        {"S:disk/by-diskseq/20\n", "Unknown"},  // the image attached before
        {"", "OLD"},                            // no sequence number to judge by
    };
    for (const auto& [link, name] : loopRecords) {
        SCOPED_TRACE(link);
        write("run/udev/data/b7:0", link + "E:ID_FS_TYPE=ext4\nE:ID_FS_LABEL=OLD\n");
        DiskList disks{SystemRoot(r)};
        ASSERT_TRUE(disks.Load());
        disks.ProbeAll();
        EXPECT_EQ(disks.Find("loop0")->VolumeName(), name);
        EXPECT_EQ(disks.Find("sdd1")->VolumeName(), "Unknown");  // judged by its disk's record
        EXPECT_EQ(disks.Find("sdd2")->VolumeName(), "P2");       // by its own link
        EXPECT_EQ(disks.Find("sdd4")->VolumeName(), "Unknown");  // the link names another partition
    }
}

TEST(DiskListingRoots, MissingSysfsIsAnErrorNotACrash)
{
    TempFolder empty;
    DiskList disks{SystemRoot(empty.Path())};
    EXPECT_FALSE(disks.Load());
    EXPECT_NE(disks.Error().find("sys/block"), std::string::npos);
}

TEST(DiskListingRoots, DeviceWithoutMountinfoOrUdevReadsUnknownAndNotMounted)
{
    TempFolder root;
    fs::create_directories(root.Path() / "sys/block/sda");
    std::ofstream(root.Path() / "sys/block/sda/dev") << "8:0\n";
    std::ofstream(root.Path() / "sys/block/sda/size") << "100\n";
    DiskList disks{SystemRoot(root.Path())};
    ASSERT_TRUE(disks.Load());
    const DiskEntry* sda = disks.Find("sda");
    ASSERT_NE(sda, nullptr);
    EXPECT_EQ(sda->VolumeName(), "Unknown");
    EXPECT_EQ(sda->MountedText(), "No");
    EXPECT_FALSE(sda->readOnly);
}

TEST(DiskListingRoots, DeviceNameFromSysDevBlockSymlinkDirectoryOrSearch)
{
    TempFolder root;
    const fs::path& r = root.Path();
    fs::create_directories(r / "devices/virtual/block/zram0");
    fs::create_directories(r / "sys/dev/block");
    fs::create_symlink("../../../devices/virtual/block/zram0", r / "sys/dev/block/253:0");
    fs::create_directories(r / "sys/dev/block/254:0");
    std::ofstream(r / "sys/dev/block/254:0/uevent") << "MAJOR=254\nMINOR=0\nDEVNAME=vda\n";
    fs::create_directories(r / "sys/block/sdd");
    std::ofstream(r / "sys/block/sdd/dev") << "8:48\n";
    std::ofstream(r / "sys/block/sdd/size") << "8\n";

    SystemRoot system(r);
    EXPECT_EQ(SysfsBlockDevices::NameOf(system, {253, 0}), "zram0");
    EXPECT_EQ(SysfsBlockDevices::NameOf(system, {254, 0}), "vda");
    EXPECT_EQ(SysfsBlockDevices::NameOf(system, {8, 48}), "sdd");
    EXPECT_EQ(SysfsBlockDevices::NameOf(system, {8, 64}), std::nullopt);
}

}  // namespace
