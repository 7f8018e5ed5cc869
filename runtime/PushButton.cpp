#include "runtime/PushButton.h"

#include "runtime/internal/NativeControl.h"
#include "runtime/internal/QtValues.h"

#include <QPushButton>

PushButton::PushButton() = default;
PushButton::~PushButton() = default;

const PropertyClass& PushButton::PropertyList() const
{
    return *FindPropertyClass("PushButton");
}

std::span<const std::string_view> PushButton::EventNames() const
{
    return PushButtonEvent::kNames;
}

void PushButton::Push()
{
    RaiseActionIfEnabled(PushButtonEvent::Action);
}

void PushButton::BuildNative()
{
    QWidget* content = ContentOf(*this);
    auto* button = new QPushButton(content);
    button->setAutoDefault(false);
    std::weak_ptr<PushButton> owner = std::static_pointer_cast<PushButton>(shared_from_this());
    QObject::connect(button, &QPushButton::clicked, button, [owner] {
        if (auto o = owner.lock())
            o->Push();
    });
    native_->widget = button;
}

void PushButton::SyncNative(std::string_view name)
{
    auto* button = static_cast<QPushButton*>(native_->widget.data());
    const bool all = name.empty();
    if (all || name == "Caption")
        button->setText(DisplayText(Caption()));
    if (all || name == "Default")
        button->setDefault(Default());
}
