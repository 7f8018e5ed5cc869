#include "RuntimeFixture.h"

#include "runtime/Dialogs.h"

#include <QApplication>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QScreen>
#include <QTextEdit>
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
        QSize size;
        int paneHeight = 0;  // the details pane's, open
        int textWidth = 0;   // what the message's label asks for
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
            seen.size = box->size();
            for (QLabel* label : box->findChildren<QLabel*>())
                if (label->text() == box->text())
                    seen.textWidth = label->sizeHint().width();
            for (QAbstractButton* button : box->buttons())
                if (box->buttonRole(button) == QMessageBox::ActionRole) {
                    button->click();  // as the user opens the details; the button keeps the focus
                    button->setFocus();
                    seen.fitsWithDetails = OnScreen(*box) && OkShownAndDefault(*box);
                    if (auto* pane = box->findChild<QTextEdit*>())
                        seen.paneHeight = pane->height();
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

// Qt's own box for the text, as the program showed every message before
// it fitted tall ones to the screen.
QSize PlainBoxSize(const QString& text)
{
    QMessageBox box;
    box.setWindowTitle(QApplication::applicationName());
    box.setTextFormat(Qt::PlainText);
    box.setText(text);
    box.setStandardButtons(QMessageBox::Ok);
    box.show();
    const QSize size = box.size();
    box.hide();
    return size;
}

TEST_F(RealMessageBox, NeverTallerThanTheScreenWithOkOnScreenAndTheDefault)
{
    std::string words;
    for (int i = 0; i < 6000; ++i)
        words += "word ";
    const std::string heading = "USB STICK (disk2s1)\n\nMounting failed (exit status 1):\n";
    const struct Case {
        const char* name;
        std::string text;
        size_t leadAtLeast;  // 0: shown whole
    } cases[] = {
        {"a short message", "USB STICK (disk2s1)\n\nMounting failed (exit status 1):\nbusy", 0},
        {"400 lines", "Mounting failed:\n" + Lines(400, "mount: a line of the tool's long failure reason"), 100},
        {"one line that wraps many times", words, 300},
        {"lines ending in CR LF", Lines(300, "line", "\r\n"), 100},
        {"a reason of one long line", heading + "mount:" + words, heading.size() + 300},
        {"a reason of one word longer than many lines", heading + std::string(40000, 'x'), heading.size() + 50},
    };
    const int screenHeight = QGuiApplication::primaryScreen()->availableGeometry().height();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Seen seen = Show(c.text);
        ASSERT_TRUE(seen.up);
        EXPECT_TRUE(seen.fits);
        EXPECT_TRUE(seen.okShownAndDefault);
        EXPECT_TRUE(seen.fitsWithDetails);
        EXPECT_TRUE(seen.returnDismissed);
        QString whole = QString::fromStdString(c.text).replace("\r\n", "\n");
        if (c.leadAtLeast == 0) {
            EXPECT_EQ(seen.text, whole) << "shown whole, as always";
            EXPECT_TRUE(seen.details.isEmpty());
            EXPECT_EQ(seen.size, PlainBoxSize(whole)) << "looks as Qt's own box";
            continue;
        }
        EXPECT_EQ(seen.details, whole) << "the whole text one click away";
        EXPECT_GE(seen.paneHeight, screenHeight / 2) << "the details take the room the screen has";
        ASSERT_TRUE(seen.text.endsWith(QStringLiteral("\n\u2026")));
        const QString lead = seen.text.chopped(2);
        EXPECT_TRUE(whole.startsWith(lead));
        EXPECT_GE(static_cast<size_t>(lead.size()), c.leadAtLeast) << "as much as fits, not a token line";
        const QChar next = whole[lead.size()];
        EXPECT_TRUE(next.isSpace() || next == 'x') << "cut at the end of a word, unless the word is too long";
    }
}

// A message is text: what looks like markup is shown as it is.
TEST_F(RealMessageBox, MarkupInAMessageIsShownAsText)
{
    const std::string text = "USB <b>x</b> (disk2s1)";
    const Seen seen = Show(text);
    ASSERT_TRUE(seen.up);
    EXPECT_EQ(seen.text.toStdString(), text);
    EXPECT_GE(seen.textWidth, QFontMetrics(QApplication::font()).horizontalAdvance(QString::fromStdString(text)))
        << "the tags take their room on screen";
}

}  // namespace
