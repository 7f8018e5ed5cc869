#include "runtime/Label.h"

#include "runtime/internal/NativeControl.h"
#include "runtime/internal/QtValues.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>

namespace {

// A press on a label stays with the label; it never reaches the window.
class NativeLabel : public QLabel {
public:
    NativeLabel(QWidget* parent, std::weak_ptr<Label> owner) : QLabel(parent), owner_(std::move(owner)) {}

protected:
    void enterEvent(QEnterEvent* event) override
    {
        QLabel::enterEvent(event);
        if (auto owner = owner_.lock())
            owner->RaiseEvent(LabelEvent::MouseEnter);
    }
    void leaveEvent(QEvent* event) override
    {
        QLabel::leaveEvent(event);
        if (auto owner = owner_.lock())
            owner->RaiseEvent(LabelEvent::MouseExit);
    }
    void mousePressEvent(QMouseEvent* event) override
    {
        QLabel::mousePressEvent(event);
        event->accept();
        if (auto owner = owner_.lock()) {
            const QPoint p = event->position().toPoint();
            owner->RaiseEvent(LabelEvent::MouseDown, EventArgs{nullptr, p.x(), p.y()});
        }
    }

private:
    std::weak_ptr<Label> owner_;
};

}  // namespace

Label::Label() = default;
Label::~Label() = default;

const PropertyClass& Label::PropertyList() const
{
    return *FindPropertyClass("Label");
}

std::span<const std::string_view> Label::EventNames() const
{
    return LabelEvent::kNames;
}

void Label::BuildNative()
{
    QWidget* content = ContentOf(*this);
    auto* label = new NativeLabel(content, std::static_pointer_cast<Label>(shared_from_this()));
    label->setTextFormat(Qt::PlainText);
    native_->widget = label;
}

void Label::SyncNative(std::string_view name)
{
    auto* label = static_cast<QLabel*>(native_->widget.data());
    const bool all = name.empty();
    if (all || name == "Text")
        label->setText(DisplayText(Text()));
    if (all || name == "TextAlign" || name == "MultiLine") {
        const int64_t align = IntegerProperty("TextAlign");
        Qt::Alignment horizontal = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
        label->setAlignment(horizontal | (BooleanProperty("MultiLine") ? Qt::AlignTop : Qt::AlignVCenter));
        label->setWordWrap(BooleanProperty("MultiLine"));
    }
    if (all || name == "TextColor") {
        QPalette palette = label->palette();
        palette.setColor(QPalette::WindowText, ToQColor(TextColor()));
        label->setPalette(palette);
    }
    if (all || name == "Selectable")
        label->setTextInteractionFlags(BooleanProperty("Selectable") ? Qt::TextSelectableByMouse
                                                                     : Qt::NoTextInteraction);
    if (all || name == "Transparent")
        label->setAutoFillBackground(!BooleanProperty("Transparent"));
}
