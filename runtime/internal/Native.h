#pragma once

// The Qt side of the runtime. Only runtime/*.cpp include this header.

#include "runtime/Control.h"
#include "runtime/MenuItem.h"
#include "runtime/Picture.h"
#include "runtime/PropertyBlock.h"
#include "runtime/Window.h"

#include <QColor>
#include <QFont>
#include <QImage>
#include <QMenuBar>
#include <QPointer>
#include <QString>
#include <QWidget>

#include <initializer_list>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

inline QString ToQt(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string FromQt(const QString& text)
{
    const QByteArray bytes = text.toUtf8();
    return std::string(bytes.constData(), static_cast<size_t>(bytes.size()));
}

// Text as a widget shows it: the system's texts may use CR, LF or CR LF.
QString DisplayText(const std::string& text);
QColor ToQColor(Color color);

// The font that a control's TextFont, TextSize, Bold, Italic and Underline
// describe. Sizes are in the layout's own unit (pixels), as are positions.
QFont FontOf(const PropertyHolder& object, const QFont& base);

// The top-level native window: a menu bar strip (when the window has a menu
// bar) above the content area in which controls are placed.
class NativeTopLevel : public QWidget {
public:
    explicit NativeTopLevel(const std::shared_ptr<Window>& owner);
    QWidget* Content() const { return content_; }
    void SetMenuBarWidget(QMenuBar* bar);
    int MenuBarHeight() const;
    void SetContentSize(int width, int height);

protected:
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void LayoutChildren();
    std::weak_ptr<Window> owner_;
    QWidget* content_;
    QPointer<QMenuBar> menuBar_;
};

struct Window::Native {
    QPointer<NativeTopLevel> top;
};

struct RectControl::Native {
    QPointer<QWidget> widget;
};

struct MenuItem::Native {
    std::vector<QPointer<QAction>> actions;
};

struct Picture::Image {
    QImage image;
};

// The content area of the control's window, where its widget is placed.
QWidget* ContentOf(const RectControl& control);

// The event list of RectControl, and a class's list: its base's, then its own.
const std::vector<std::string_view>& RectControlEventNames();
std::vector<std::string_view> EventsAfter(const std::vector<std::string_view>& base,
                                          std::initializer_list<std::string_view> own);

// Builds the native menus of a menu bar into bar.
void BuildNativeMenus(QMenuBar* bar, const std::shared_ptr<MenuBar>& model);

// The name the program's menu carries: the executable's name, capitalised.
QString ProgramName();
