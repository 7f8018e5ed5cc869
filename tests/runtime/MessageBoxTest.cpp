#include "RuntimeFixture.h"

#include "runtime/Dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

#include <functional>
#include <string>

namespace {

// The real message box, as the user meets it: looked at once it is up, then
// dismissed with the Return key.
class RealMessageBox : public RuntimeTest {
protected:
    void SetUp() override
    {
        RuntimeTest::SetUp();
        SetDesktopServices(nullptr);  // the fixture puts its own back afterwards
    }

    // What the box showed, closed and with its details open.
    struct Seen {
        bool up = false;
        bool fits = false;
        bool okShownAndDefault = false;
        bool fitsWithDetails = true;  // a box without details has nothing to open
        QString text;
        QString details;
        bool returnDismissed = false;
    };

    static bool OnScreen(const QWidget& widget)
    {
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        return area.contains(widget.frameGeometry());
    }
    static bool OkShownAndDefault(QMessageBox& box)
    {
        QAbstractButton* ok = box.button(QMessageBox::Ok);
        const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
        return ok && ok->isVisible() && box.defaultButton() == ok &&
               area.contains(QRect(ok->mapToGlobal(QPoint(0, 0)), ok->size()));
    }

    Seen Show(const std::string& text)
    {
        Seen seen;
        QTimer::singleShot(0, [&] {
            auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            if (!box)
                return;
            seen.up = true;
            seen.fits = OnScreen(*box);
            seen.okShownAndDefault = OkShownAndDefault(*box);
            seen.text = box->text();
            seen.details = box->detailedText();
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) == QMessageBox::ActionRole) {
                    button->click();  // as the user opens the details; the button keeps the focus
                    button->setFocus();
                    seen.fitsWithDetails = OnScreen(*box) && OkShownAndDefault(*box);
                }
            QWidget* focus = box->focusWidget() ? box->focusWidget() : box;
            QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
            QApplication::sendEvent(focus, &press);
            seen.returnDismissed = !box->isVisible();
            if (box->isVisible())
                box->reject();
        });
        MsgBox(text);
        return seen;
    }
};

std::string Lines(int count, const std::string& line, const std::string& ending = "\n")
{
    std::string text;
    for (int i = 0; i < count; ++i)
        text += line + " " + std::to_string(i) + ending;
    return text;
}

TEST_F(RealMessageBox, NeverTallerThanTheScreenWithOkOnScreenAndTheDefault)
{
    std::string words;
    for (int i = 0; i < 6000; ++i)
        words += "word ";
    const struct Case {
        const char* name;
        std::string text;
        bool cut;
    } cases[] = {
        {"a short message", "USB STICK (disk2s1)\n\nMounting failed (exit status 1):\nbusy", false},
        {"400 lines", "Mounting failed:\n" + Lines(400, "mount: a line of the tool's long failure reason"), true},
        {"one line that wraps many times", words, true},
        {"lines ending in CR LF", Lines(300, "line", "\r\n"), true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Seen seen = Show(c.text);
        ASSERT_TRUE(seen.up);
        EXPECT_TRUE(seen.fits);
        EXPECT_TRUE(seen.okShownAndDefault);
        EXPECT_TRUE(seen.fitsWithDetails);
        EXPECT_TRUE(seen.returnDismissed);
        QString whole = QString::fromStdString(c.text).replace("\r\n", "\n");
        if (!c.cut) {
            EXPECT_EQ(seen.text, whole) << "shown whole, as always";
            EXPECT_TRUE(seen.details.isEmpty());
            continue;
        }
        EXPECT_EQ(seen.details, whole) << "the whole text one click away";
        ASSERT_TRUE(seen.text.endsWith(QStringLiteral("\n\u2026")));
        const QString lead = seen.text.chopped(2);
        EXPECT_TRUE(whole.startsWith(lead));
        EXPECT_GT(lead.size(), 100) << "as much as fits, not a token line";
    }
}

}  // namespace
