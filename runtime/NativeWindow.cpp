#include "runtime/internal/NativeWindow.h"

#include "runtime/Handlers.h"
#include "runtime/PushButton.h"
#include "runtime/internal/NativeMenus.h"
#include "runtime/internal/Registry.h"

#include <QCloseEvent>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QResizeEvent>

namespace {

// The content area: controls are placed in its coordinates. A press on the
// area itself (not on a control) is the window's MouseDown.
class NativeContent : public QWidget {
public:
    NativeContent(QWidget* parent, std::weak_ptr<Window> owner) : QWidget(parent), owner_(std::move(owner)) {}

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QWidget::resizeEvent(event);
        if (std::shared_ptr<Window> owner = owner_.lock())
            RuntimeCallHandler([&] {
                owner->ContentResized(event->size().width(), event->size().height());
                return false;
            });
    }

    void mousePressEvent(QMouseEvent* event) override
    {
        std::shared_ptr<Window> owner = owner_.lock();
        if (!owner || !owner->HandlesEvent(WindowEvent::MouseDown)) {
            QWidget::mousePressEvent(event);
            return;
        }
        event->accept();
        const QPoint p = event->position().toPoint();
        owner->RaiseEvent(WindowEvent::MouseDown, EventArgs{nullptr, p.x(), p.y()});
    }

private:
    std::weak_ptr<Window> owner_;
};

std::shared_ptr<PushButton> FindButton(const Window& window, const char* role)
{
    for (const auto& control : window.Controls())
        if (auto button = std::dynamic_pointer_cast<PushButton>(control))
            if (button->BooleanProperty(role) && button->Enabled() && button->IsVisible())
                return button;
    return nullptr;
}

}  // namespace

NativeTopLevel::NativeTopLevel(const std::shared_ptr<Window>& owner)
    : QWidget(nullptr), owner_(owner), content_(new NativeContent(this, owner))
{
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void NativeTopLevel::SetMenuBarWidget(QMenuBar* bar)
{
    if (menuBar_)
        menuBar_->deleteLater();
    menuBar_ = bar;
    if (bar) {
        bar->setParent(this);
        bar->show();
    }
    // The caller sets the size next, so the content area keeps its size.
}

void NativeTopLevel::SetProgramCommands(const std::shared_ptr<MenuBar>& bar)
{
    if (programCommands_) {
        // Off the window now; deleted later, as one of them may be running.
        for (QAction* action : programCommands_->findChildren<QAction*>())
            removeAction(action);
        programCommands_->deleteLater();
    }
    if (!bar)
        return;
    programCommands_ = new QObject(this);
    for (QAction* action : ProgramCommandActions(bar, programCommands_))
        addAction(action);
}

int NativeTopLevel::MenuBarHeight() const
{
    return (menuBar_ && !menuBar_->isHidden()) ? menuBar_->sizeHint().height() : 0;
}

void NativeTopLevel::SetContentSize(int width, int height)
{
    resize(width, height + MenuBarHeight());
    LayoutChildren();
}

void NativeTopLevel::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    LayoutChildren();
}

void NativeTopLevel::LayoutChildren()
{
    const int bar = MenuBarHeight();
    if (menuBar_)
        menuBar_->setGeometry(0, 0, width(), bar);
    content_->setGeometry(0, bar, width(), std::max(0, height() - bar));
}

void NativeTopLevel::closeEvent(QCloseEvent* event)
{
    // The window system's close button: the window is closed as by Close,
    // unless its CancelClose refuses; what follows is not the window's to decide.
    event->ignore();
    std::shared_ptr<Window> owner = owner_.lock();
    if (!owner)
        return;
    if (owner->RaiseEvent(WindowEvent::CancelClose))
        return;
    owner->Close();
    ReportWindowClosedByUser();
}

void NativeTopLevel::keyPressEvent(QKeyEvent* event)
{
    std::shared_ptr<Window> owner = owner_.lock();
    const char* role = nullptr;
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter)
        role = "Default";
    else if (event->key() == Qt::Key_Escape)
        role = "Cancel";
    if (owner && role && (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
        if (std::shared_ptr<PushButton> button = FindButton(*owner, role)) {
            event->accept();
            button->Push();
            return;
        }
    }
    QWidget::keyPressEvent(event);
}
