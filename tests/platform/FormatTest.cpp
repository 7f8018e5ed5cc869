#include "TestSupport.h"

#include "platform/EntryFormatter.h"
#include "platform/NaturalOrder.h"
#include "platform/UdevRecord.h"
#include "platform/VolumeProbe.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

TEST(DiskSizeText, DecimalUnitsAndExactBytes)
{
    const std::pair<uint64_t, std::string> cases[] = {
        {512, "512 B (512 Bytes)"},
        {16777216, "16.8 MB (16777216 Bytes)"},
        {999950, "1.0 MB (999950 Bytes)"},
        {274877906944, "274.9 GB (274877906944 Bytes)"},
        {2000398934016, "2.0 TB (2000398934016 Bytes)"},
    };
    for (const auto& [bytes, text] : cases)
        EXPECT_EQ(EntryFormatter::HumanSize(bytes), text);
}

TEST(DiskNaturalOrder, NumbersByValue)
{
    std::vector<std::string> names = {"vda", "loop10", "sdaa", "loop2", "dm-0", "nvme0n10", "sda", "loop1", "nvme0n2"};
    std::sort(names.begin(), names.end(), NaturalOrder());
    EXPECT_EQ(names, (std::vector<std::string>{"dm-0", "loop1", "loop2", "loop10", "nvme0n2", "nvme0n10", "sda", "sdaa",
                                               "vda"}));
    EXPECT_FALSE(NaturalOrder()("loop2", "loop2"));
    EXPECT_NE(NaturalOrder()("a01", "a1"), NaturalOrder()("a1", "a01"));  // still a strict order
}

TEST(DiskUdevRecord, PropertiesAndEncodedLabel)
{
    auto record = UdevRecord::FromText(
        "S:disk/by-label/x\nE:ID_FS_LABEL=My_Disk\nE:ID_FS_LABEL_ENC=My\\x20Disk\\x2fA\\xZZ\n"
        "E:ID_FS_TYPE=ext4\nE:=broken\nI:123\n");
    EXPECT_EQ(record.Label(), "My Disk/A\\xZZ");
    EXPECT_EQ(record.Property("ID_FS_TYPE"), "ext4");
    EXPECT_EQ(record.Property("ID_FS_UUID"), std::nullopt);
    EXPECT_EQ(UdevRecord::FromText("E:ID_FS_LABEL=Plain_Name\n").Label(), "Plain_Name");
}

TEST(DiskEntryFormat, KeysInOrderWithValuesInOneColumn)
{
    DiskEntry entry;
    entry.identifier = "loop0";
    entry.wholeIdentifier = "loop0";
    entry.device = {7, 0};
    entry.sizeBytes = 16777216;
    entry.content = Content::FileSystem;
    entry.label = "MY DATA";
    entry.fileSystemType = "ext4";
    entry.uuid = "0c1f";
    entry.mountState = MountState::Mounted;
    entry.mountPoint = "/media/MY DATA";
    entry.backingFile = "/tmp/data.img";

    EXPECT_EQ(EntryFormatter::Entry(entry),
              "   Device Identifier:        loop0\n"
              "   Device Node:              /dev/loop0\n"
              "   Whole:                    Yes\n"
              "   Part of Whole:            loop0\n"
              "   Volume Name:              MY DATA\n"
              "   Mounted:                  Yes\n"
              "   Mount Point:              /media/MY DATA\n"
              "   File System Personality:  ext4\n"
              "   Disk Size:                16.8 MB (16777216 Bytes)\n"
              "   Volume UUID:              0c1f\n"
              "   Read-Only Media:          No\n"
              "   Removable Media:          No\n"
              "   Device Number:            7:0\n"
              "   Backing File:             /tmp/data.img\n");

    // Empty values leave no blanks behind their label.
    DiskEntry raw;
    raw.identifier = raw.wholeIdentifier = "loop1";
    raw.sizeBytes = 512;
    const std::string rawText = EntryFormatter::Entry(raw);
    EXPECT_EQ(EntryFormatter::All({entry, raw}), EntryFormatter::Entry(entry) + "\n**********\n\n" + rawText);
    EXPECT_EQ(rawText.rfind("   Device Identifier:        loop1\n", 0), 0u) << rawText;
    EXPECT_NE(rawText.find("\n   Mount Point:\n   File System Personality:\n   Disk Size:                512 B"),
              std::string::npos)
        << rawText;
    EXPECT_NE(rawText.find("\n   Volume UUID:\n   Read-Only Media:"), std::string::npos) << rawText;

    // A value loses the blanks at its end, control characters made blanks too, but keeps a no-break space.
    DiskEntry spaced = raw;
    spaced.mountPoint = "/media/x\xc2\xa0\t ";
    const std::string spacedText = EntryFormatter::Entry(spaced);
    EXPECT_NE(spacedText.find("\n   Mount Point:              /media/x\xc2\xa0\n"), std::string::npos) << spacedText;
}

TEST(DiskEntryFormat, ContainerIsNoFileSystemUnlessSomethingIsMountedFromIt)
{
    // LUKS, RAID and LVM members carry a type but hold nothing to mount.
    DiskEntry entry;
    VolumeProbe::FromRecord(UdevRecord::FromText("E:ID_FS_TYPE=crypto_LUKS\nE:ID_FS_USAGE=crypto\n"), entry);
    EXPECT_EQ(entry.content, Content::NoFileSystem);
    EXPECT_EQ(entry.VolumeName(), "Not applicable (no file system)");
    EXPECT_EQ(entry.MountedText(), "Not applicable (no file system)");
    EXPECT_EQ(entry.Personality(), "crypto_LUKS");

    entry.mountState = MountState::Mounted;
    EXPECT_EQ(entry.VolumeName(), "Untitled");
    EXPECT_EQ(entry.MountedText(), "Yes");
}

}  // namespace
