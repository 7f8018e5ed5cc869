#include "runtime/Canvas.h"

#include "core/UIThread.h"
#include "runtime/Picture.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativePicture.h"
#include "runtime/internal/QtValues.h"

#include <QMouseEvent>
#include <QPainter>

namespace {

class NativeCanvas : public QWidget {
public:
    NativeCanvas(QWidget* parent, std::weak_ptr<Canvas> owner) : QWidget(parent), owner_(std::move(owner)) {}

protected:
    void paintEvent(QPaintEvent*) override
    {
        auto owner = owner_.lock();
        if (!owner || !owner->Backdrop())
            return;
        QPainter painter(this);
        painter.drawImage(QPoint(0, 0), owner->Backdrop()->Data().image);
    }
    // A press on the canvas belongs to the canvas, not to the window behind it.
    void mousePressEvent(QMouseEvent* event) override { event->accept(); }

private:
    std::weak_ptr<Canvas> owner_;
};

}  // namespace

Canvas::Canvas() = default;
Canvas::~Canvas() = default;

const PropertyClass& Canvas::PropertyList() const
{
    return *FindPropertyClass("Canvas");
}

void Canvas::Backdrop(const std::shared_ptr<Picture>& picture)
{
    CheckUIThread();
    backdrop_ = picture;
    if (native_->widget)
        native_->widget->update();
}

void Canvas::BuildNative()
{
    QWidget* content = ContentOf(*this);
    native_->widget = new NativeCanvas(content, std::static_pointer_cast<Canvas>(shared_from_this()));
}
