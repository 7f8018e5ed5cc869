#include "runtime/BevelButton.h"

#include "core/UIThread.h"
#include "runtime/Picture.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/NativePicture.h"
#include "runtime/internal/QtValues.h"

#include <QPixmap>
#include <QToolButton>

BevelButton::BevelButton() = default;
BevelButton::~BevelButton() = default;

const PropertyClass& BevelButton::PropertyList() const
{
    return *FindPropertyClass("BevelButton");
}

std::span<const std::string_view> BevelButton::EventNames() const
{
    return BevelButtonEvent::kNames;
}

void BevelButton::Icon(const std::shared_ptr<Picture>& picture)
{
    CheckUIThread();
    icon_ = picture;
    if (native_->widget)
        SyncNative("Icon");
}

void BevelButton::Push()
{
    RaiseActionIfEnabled(BevelButtonEvent::Action);
}

void BevelButton::BuildNative()
{
    QWidget* content = ContentOf(*this);
    auto* button = new QToolButton(content);
    std::weak_ptr<BevelButton> owner = std::static_pointer_cast<BevelButton>(shared_from_this());
    QObject::connect(button, &QToolButton::clicked, button, [owner] {
        if (auto o = owner.lock())
            o->Push();
    });
    native_->widget = button;
}

void BevelButton::SyncNative(std::string_view name)
{
    auto* button = static_cast<QToolButton*>(native_->widget.data());
    const bool all = name.empty();
    if (all || name == "Icon") {
        if (icon_) {
            const QPixmap pixmap = QPixmap::fromImage(icon_->Data().image);
            button->setIcon(QIcon(pixmap));
            button->setIconSize(pixmap.size());
        } else {
            button->setIcon(QIcon());
        }
    }
    if (all || name == "Caption" || name == "Icon") {
        button->setText(DisplayText(Caption()));
        button->setToolButtonStyle(Caption().empty() ? Qt::ToolButtonIconOnly
                                   : icon_           ? Qt::ToolButtonTextUnderIcon
                                                     : Qt::ToolButtonTextOnly);
    }
    if (all || name == "Transparent")
        button->setAutoRaise(BooleanProperty("Transparent"));
}
