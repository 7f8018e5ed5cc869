#include "DeviceListFixture.h"

#include "LoopDevices.h"
#include "TempFolder.h"

#include <unistd.h>

#include <filesystem>
#include <memory>

// The whole flow on a real ext4 image: the real shell, grep and awk, and the
// real disk-tool stand-ins, mounting under /media.
namespace {

namespace fs = std::filesystem;

const std::string kLabel = TestName("TVTST");
const fs::path kMountPoint = fs::path("/media") / kLabel;
// The list shows a name's words run together.
std::string ListedName(std::string label)
{
    std::erase(label, ' ');
    return label;
}

class LoopDeviceFlowTest : public DeviceListTest {
protected:
    void SetUp() override
    {
        DeviceListTest::SetUp();
        shell.Remove();
        if (const std::string why = WhyNoLoopDevices(); !why.empty())
            GTEST_SKIP() << "skipped: " << why;
        std::error_code error;
        if (fs::exists(kMountPoint, error))
            GTEST_SKIP() << "skipped: " << kMountPoint << " is taken by something else";
        const fs::path image = images_.Path() / "tvtest.img";
        ASSERT_EQ(MakeImage(image, "ext4", kLabel, 16), "");
        loop_ = std::make_unique<LoopDevice>(image, kMountPoint);
        if (loop_->Node().empty())
            GTEST_SKIP() << "skipped: loop devices cannot be attached here: " << loop_->Error();
    }

    // The image's row, selected, and the buttons it offers.
    int64_t SelectImage()
    {
        const int64_t row = RowOf(loop_->Id());
        if (row >= 0) {
            List()->ListIndex(-1);
            List()->ListIndex(row);
        }
        return row;
    }

    // Declared first, so the loop device goes before its image.
    TempFolder images_;
    std::unique_ptr<LoopDevice> loop_;
};

TEST_F(LoopDeviceFlowTest, MountUnmountAndABusyVolume)
{
    Main();
    const int64_t row = SelectImage();
    ASSERT_GE(row, 0) << loop_->Id() << " is not listed";
    EXPECT_EQ(Rows()[static_cast<size_t>(row)], (Row{ListedName(kLabel), loop_->Id(), "No"}));
    ASSERT_TRUE(Main()->mountBtn()->Enabled());

    Main()->mountBtn()->Push();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    EXPECT_EQ(List()->Cell(row, 2), "Yes");
    EXPECT_EQ(List()->ListIndex(), -1);

    SelectImage();
    ASSERT_TRUE(Main()->unmountBtn()->Enabled());
    Main()->unmountBtn()->Push();
    EXPECT_TRUE(messages.empty()) << messages.front();
    EXPECT_TRUE(MountTargets(loop_->Node()).empty());
    EXPECT_EQ(List()->Cell(row, 2), "No");

    SelectImage();
    Main()->mountBtn()->Push();
    ASSERT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    {
        BusyProcess busy(kMountPoint);
        ASSERT_TRUE(busy.Started());
        ASSERT_TRUE(busy.WaitUntilInside(kMountPoint));
        SelectImage();
        Main()->unmountBtn()->Push();
        ASSERT_EQ(messages.size(), 1u);
        EXPECT_EQ(
            messages[0].rfind(ListedName(kLabel) + " (" + loop_->Id() + ")\n\nUnmounting failed (exit status ", 0), 0u)
            << messages[0];
        EXPECT_NE(messages[0].find("target is busy"), std::string::npos) << messages[0];
        EXPECT_EQ(List()->Cell(row, 2), "Yes");
        EXPECT_EQ(MountTargets(loop_->Node()), std::vector<std::string>{kMountPoint.string()});
    }

    // A new scan agrees with what the list says.
    Main()->scanBtn()->Push();
    const int64_t rescanned = RowOf(loop_->Id());
    ASSERT_GE(rescanned, 0);
    EXPECT_EQ(List()->Cell(rescanned, 2), "Yes");
}

// The kernel hands a freed loop number to the next image attached, as it
// hands sdb to the next USB stick: a row read before that names another
// volume now, and Mount on it mounts nothing.
TEST_F(LoopDeviceFlowTest, AReusedIdentifierActsOnNothing)
{
    const std::string otherLabel = TestName("TVTSB");
    const fs::path other = images_.Path() / "reuse.img";
    ASSERT_EQ(MakeImage(other, "ext4", otherLabel, 16), "");
    Main();
    const std::string node = loop_->Node();
    const int64_t row = SelectImage();
    ASSERT_GE(row, 0) << loop_->Id() << " is not listed";
    ASSERT_TRUE(Main()->mountBtn()->Enabled());

    loop_.reset();
    loop_ = std::make_unique<LoopDevice>(other, fs::path("/media") / otherLabel, LoopDevice::Partitions::Ignored, node);
    if (loop_->Node().empty())
        GTEST_SKIP() << "skipped: " << node << " was taken by something else meanwhile: " << loop_->Error();
    Main()->mountBtn()->Push();

    EXPECT_EQ(messages, std::vector<std::string>{
                            ListedName(kLabel) + " (" + loop_->Id() + ")\n\nThe list is out of date: " + loop_->Id() +
                            " no longer holds this volume.\n\nPress Scan... to read the list again."});
    EXPECT_TRUE(MountTargets(node).empty());
    EXPECT_EQ(Rows()[static_cast<size_t>(row)], (Row{ListedName(kLabel), loop_->Id(), "No"}));
}

}  // namespace
