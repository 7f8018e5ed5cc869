#include "AppFixture.h"
#include "TempFolder.h"

#include <filesystem>

namespace {

namespace fs = std::filesystem;

class PicturesTest : public AppTest {
protected:
    void SetUp() override
    {
        AppTest::SetUp();
        ASSERT_FALSE(folder.Path().empty());
        AppFolders::OverrideResources(folder.Path());
    }
    void Provide(const std::string& name)
    {
        fs::copy_file(fs::path(TARNVIK_SOURCE_DIR) / "resources/pictures" / (name + ".png"),
                      folder.Path() / (name + ".png"), fs::copy_options::overwrite_existing);
    }

    TempFolder folder;
};

TEST_F(PicturesTest, AMissingPictureIsTriedAgainAndALoadedOneIsKept)
{
    EXPECT_EQ(Tarnvikicon(), nullptr);
    EXPECT_EQ(Tarnvikicon(), nullptr);
    Provide("Tarnvikicon");
    std::shared_ptr<Picture> first = Tarnvikicon();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first->Width(), 191);
    EXPECT_EQ(first->Height(), 181);
    fs::remove(folder.Path() / "Tarnvikicon.png");
    EXPECT_EQ(Tarnvikicon(), first) << "kept once loaded, the same object";
}

TEST_F(PicturesTest, TheThreeAccessorsAreIndependent)
{
    Provide("Tarnvikicon96");
    std::shared_ptr<Picture> small = Tarnvikicon96();
    ASSERT_NE(small, nullptr);
    EXPECT_EQ(small->Width(), 96);
    EXPECT_EQ(paypal(), nullptr);
    EXPECT_EQ(Tarnvikicon(), nullptr);
    Provide("paypal");
    ASSERT_NE(paypal(), nullptr);
    EXPECT_EQ(paypal()->Width(), 114);
    EXPECT_EQ(paypal()->Height(), 26);
    EXPECT_EQ(Tarnvikicon96(), small);
    EXPECT_EQ(Tarnvikicon(), nullptr);
}

}  // namespace
