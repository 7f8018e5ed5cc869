#pragma once

// The native side of a window. Only runtime/*.cpp and tests include this header.

#include "runtime/Window.h"

#include <QMenuBar>
#include <QPointer>
#include <QWidget>

#include <memory>

// The top-level native window: a menu bar strip (when the window has a menu
// bar) above the content area in which controls are placed.
class NativeTopLevel : public QWidget {
public:
    explicit NativeTopLevel(const std::shared_ptr<Window>& owner);
    QWidget* Content() const { return content_; }
    void SetMenuBarWidget(QMenuBar* bar);
    int MenuBarHeight() const;
    // The program's commands of that menu bar, in place of those the window
    // had (nil: none): no menu shows them, their shortcuts work while the
    // window is active.
    void SetProgramCommands(const std::shared_ptr<MenuBar>& bar);
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
    QPointer<QObject> programCommands_;  // owns the actions
};

struct Window::Native {
    QPointer<NativeTopLevel> top;
};
