#include "AppFixture.h"

#include "about/aboutWindow.h"
#include "about/prefWindow.h"
#include "resources/Defined.h"
#include "runtime/internal/NativeWindow.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

class AboutAndPrefWindows : public AppTest {};

TEST_F(AboutAndPrefWindows, TheAboutWindowIsFixedAt360By200)
{
    std::shared_ptr<aboutWindow> about = aboutWindow::Instance();
    EXPECT_EQ(about->Title(), "Tarnvik");
    EXPECT_FALSE(about->BooleanProperty("Resizeable"));
    about->Width(500);
    about->Height(120);
    EXPECT_EQ(about->Width(), 360);
    EXPECT_EQ(about->Height(), 200);
    EXPECT_LE(about->BevelButton1()->Top() + about->BevelButton1()->Height(), about->Height())
        << "the lowest control fits";
    QWidget* top = about->NativeData()->top;
    EXPECT_EQ(top->minimumSize(), top->maximumSize()) << "the user cannot resize it";
    EXPECT_EQ(top->minimumWidth(), 360);
}

TEST_F(AboutAndPrefWindows, TheAboutTextsComeFromTheMakersConstants)
{
    std::shared_ptr<aboutWindow> about = aboutWindow::Instance();
    const std::string site = about->StaticText5()->Text();
    EXPECT_EQ(site, Defined::MakerWebSite);
    EXPECT_EQ(site.rfind("https://", 0), 0u) << site;
    EXPECT_EQ(site.find('/', 8), std::string::npos) << "scheme and host alone: " << site;
    EXPECT_EQ(about->Label4()->Text(), Defined::OwnershipLine);
    EXPECT_EQ(about->Label1()->Text(), "Tarnvik");
    EXPECT_EQ(about->Label3()->Text(), "Version 2.1 (April, 2019)");
    EXPECT_EQ(about->BevelButton1()->Caption(), "");
}

TEST_F(AboutAndPrefWindows, ThePreferencesWindowResizesBetween64And32000)
{
    std::shared_ptr<prefWindow> preferences = prefWindow::Instance();
    EXPECT_EQ(preferences->Title(), "Tarnvik - Preferences");
    EXPECT_TRUE(preferences->BooleanProperty("Resizeable"));
    EXPECT_EQ(preferences->Width(), 340);
    EXPECT_EQ(preferences->Height(), 188);
    struct Limit {
        int64_t width, height, expectWidth, expectHeight;
    } limits[] = {{10, 10, 64, 64}, {64, 64, 64, 64}, {32000, 32000, 32000, 32000}, {40000, 40000, 32000, 32000}};
    for (const Limit& c : limits) {
        SCOPED_TRACE(c.width);
        preferences->Width(c.width);
        preferences->Height(c.height);
        EXPECT_EQ(preferences->Width(), c.expectWidth);
        EXPECT_EQ(preferences->Height(), c.expectHeight);
    }
    // OK keeps its distance to the left, right and bottom edges.
    preferences->Width(500);
    preferences->Height(300);
    std::shared_ptr<PushButton> ok = preferences->PushButton1();
    EXPECT_EQ(std::vector<int64_t>({ok->Left(), ok->Top(), ok->Width(), ok->Height()}),
              std::vector<int64_t>({130, 260, 240, 20}));
    preferences->Width(340);
    preferences->Height(188);
    EXPECT_EQ(std::vector<int64_t>({ok->Left(), ok->Top(), ok->Width(), ok->Height()}),
              std::vector<int64_t>({130, 148, 80, 20}));
    EXPECT_TRUE(ok->Default());
    EXPECT_EQ(ok->Caption(), "OK");
}

}  // namespace
