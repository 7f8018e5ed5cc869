#include "TestSupport.h"

#include "LoopDevices.h"

#include <gtest/gtest.h>

#include <fstream>

namespace fs = std::filesystem;

namespace {

const fs::path kMedia = "/media";

class DiskLoopDevices : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (const std::string why = WhyNoLoopDevices(); !why.empty())
            GTEST_SKIP() << why;
        ASSERT_EQ(MakeImage(images_.Path() / "data.img", "ext4", "MY DATA", 16), "");
        ASSERT_EQ(MakeImage(images_.Path() / "stick.img", "vfat", "STICK", 8), "");
        ASSERT_EQ(MakeImage(images_.Path() / "raw.img", "", "", 4), "");
        data_ = std::make_unique<LoopDevice>(images_.Path() / "data.img", kMedia / "MY DATA");
        if (data_->Node().empty())
            GTEST_SKIP() << "loop devices cannot be attached here: " << data_->Error();
        stick_ = std::make_unique<LoopDevice>(images_.Path() / "stick.img", kMedia / "STICK");
        raw_ = std::make_unique<LoopDevice>(images_.Path() / "raw.img");
        ASSERT_EQ(stick_->Error(), "");
        ASSERT_EQ(raw_->Error(), "");
        ASSERT_FALSE(MountPointInUse()) << "/media/MY DATA is taken by something else";
    }

    static bool MountPointInUse()
    {
        std::error_code error;
        fs::path dir = kMedia / "MY DATA";
        return fs::exists(dir, error) && (!fs::is_directory(dir, error) || !fs::is_empty(dir, error));
    }

    static ProcessResult Diskutil(const std::vector<std::string>& args)
    {
        std::vector<std::string> argv = {ToolPath("diskutil").string()};
        argv.insert(argv.end(), args.begin(), args.end());
        return RunProgram(argv);
    }

    // The listing row of a node, through the application's pipelines.
    struct Row {
        std::string name;
        std::string mounted;
    };
    static Row RowOf(const std::string& node)
    {
        ListingColumns columns = ReadListingColumns(ShellWord(ToolPath("diskutil").string()));
        EXPECT_EQ(columns.names.size(), columns.nodes.size());
        EXPECT_EQ(columns.mounted.size(), columns.nodes.size());
        for (size_t i = 0; i < columns.nodes.size() && i < columns.names.size() && i < columns.mounted.size(); ++i)
            if (columns.nodes[i] == node)
                return {columns.names[i], columns.mounted[i]};
        ADD_FAILURE() << node << " is not listed";
        return {};
    }

    // Declared first, so the loop devices are gone before their images.
    TempDir images_;
    std::unique_ptr<LoopDevice> data_;
    std::unique_ptr<LoopDevice> stick_;
    std::unique_ptr<LoopDevice> raw_;
};

TEST_F(DiskLoopDevices, ListedAndAligned)
{
    const std::pair<const LoopDevice*, Row> expected[] = {
        {data_.get(), {"MYDATA", "No"}},
        {stick_.get(), {"STICK", "No"}},
        {raw_.get(), {"Notapplicable(no", "Not"}},
    };
    for (const auto& [device, row] : expected) {
        SCOPED_TRACE(device->Node());
        Row listed = RowOf(device->Node());
        EXPECT_EQ(listed.name, row.name);
        EXPECT_EQ(listed.mounted, row.mounted);
    }
}

bool KernelHas(const std::string& fileSystem)
{
    std::ifstream in("/proc/filesystems");
    for (std::string line; std::getline(in, line);)
        if (line.size() > fileSystem.size() && line.substr(line.size() - fileSystem.size() - 1) == "\t" + fileSystem)
            return true;
    return false;
}

TEST_F(DiskLoopDevices, MountAndUnmount)
{
    const std::pair<const LoopDevice*, std::string> volumes[] = {{data_.get(), "MY DATA"}, {stick_.get(), "STICK"}};
    for (const auto& [device, name] : volumes) {
        SCOPED_TRACE(device->Node());
        const std::string id = device->Id();
        const fs::path point = kMedia / name;

        auto mounted = Diskutil({"mount", id});
        if (device == stick_.get() && !KernelHas("vfat")) {
            // libmount's reason is passed on, and the mount point made for it is gone again.
            EXPECT_EQ(mounted.status, 1);
            EXPECT_EQ(mounted.errorOutput, "Mount of " + id + " failed: unknown filesystem type 'vfat'\n");
            EXPECT_FALSE(fs::exists(point));
            continue;
        }
        ASSERT_EQ(mounted.status, 0) << mounted.errorOutput;
        EXPECT_EQ(mounted.output, "Volume " + name + " on " + id + " mounted\n");
        EXPECT_EQ(MountTargets(device->Node()), std::vector<std::string>{point.string()});
        EXPECT_EQ(RowOf(device->Node()).mounted, "Yes");

        auto again = Diskutil({"mount", device->Node()});
        EXPECT_EQ(again.status, 0);
        EXPECT_EQ(again.output, "Volume " + name + " on " + id + " is already mounted at " + point.string() + "\n");

        auto unmounted = Diskutil({"unmount", id});
        ASSERT_EQ(unmounted.status, 0) << unmounted.errorOutput;
        EXPECT_EQ(unmounted.output, "Volume " + name + " on " + id + " unmounted\n");
        EXPECT_TRUE(MountTargets(device->Node()).empty());
        EXPECT_EQ(RowOf(device->Node()).mounted, "No");
        EXPECT_FALSE(fs::exists(point));
    }
}

TEST_F(DiskLoopDevices, BusyVolumeStaysMounted)
{
    const std::string id = data_->Id();
    const fs::path point = kMedia / "MY DATA";
    ASSERT_EQ(Diskutil({"mount", id}).status, 0);
    {
        BusyProcess busy(point);
        ASSERT_TRUE(busy.Started());
        ASSERT_TRUE(busy.WaitUntilInside(point));

        auto result = Diskutil({"unmount", id});
        EXPECT_NE(result.status, 0);
        EXPECT_EQ(result.output, "");
        EXPECT_EQ(result.errorOutput.rfind("Unmount of " + id + " failed: ", 0), 0u) << result.errorOutput;
        EXPECT_NE(result.errorOutput.find("target is busy"), std::string::npos) << result.errorOutput;
        EXPECT_EQ(MountTargets(data_->Node()), std::vector<std::string>{point.string()});
        EXPECT_EQ(RowOf(data_->Node()).mounted, "Yes");
    }
    auto result = Diskutil({"unmount", id});
    EXPECT_EQ(result.status, 0) << result.errorOutput;
    EXPECT_FALSE(fs::exists(point));
}

TEST_F(DiskLoopDevices, RawImageIsNotMounted)
{
    auto before = fs::exists(kMedia) ? std::distance(fs::directory_iterator(kMedia), fs::directory_iterator()) : 0;
    auto result = Diskutil({"mount", raw_->Id()});
    EXPECT_EQ(result.status, 1);
    EXPECT_EQ(result.output, "");
    EXPECT_EQ(result.errorOutput,
              "Mount of " + raw_->Id() + " failed: " + raw_->Id() + " has no file system to mount\n");
    EXPECT_TRUE(MountTargets(raw_->Node()).empty());
    auto after = fs::exists(kMedia) ? std::distance(fs::directory_iterator(kMedia), fs::directory_iterator()) : 0;
    EXPECT_EQ(after, before);
}

}  // namespace
