#include "runtime/TextArea.h"

#include "runtime/internal/NativeControl.h"
#include "runtime/internal/QtValues.h"

#include <QPlainTextEdit>

namespace {

class NativeTextArea : public QPlainTextEdit {
public:
    NativeTextArea(QWidget* parent, std::weak_ptr<TextArea> owner) : QPlainTextEdit(parent), owner_(owner)
    {
        connect(this, &QPlainTextEdit::textChanged, this, [this] {
            if (auto o = owner_.lock())
                o->TextEditedByUser(FromQt(toPlainText()));
        });
    }

private:
    std::weak_ptr<TextArea> owner_;
};

}  // namespace

TextEdit::TextEdit() = default;
TextEdit::~TextEdit() = default;

const PropertyClass& TextEdit::PropertyList() const
{
    return *FindPropertyClass("TextEdit");
}

TextArea::TextArea() = default;
TextArea::~TextArea() = default;

const PropertyClass& TextArea::PropertyList() const
{
    return *FindPropertyClass("TextArea");
}

void TextArea::TextEditedByUser(const std::string& text)
{
    fromUser_ = true;
    SetProperty("Text", text);
    fromUser_ = false;
}

void TextArea::BuildNative()
{
    QWidget* content = ContentOf(*this);
    native_->widget = new NativeTextArea(content, std::static_pointer_cast<TextArea>(shared_from_this()));
}

void TextArea::SyncNative(std::string_view name)
{
    auto* edit = static_cast<QPlainTextEdit*>(native_->widget.data());
    const bool all = name.empty();
    // A hidden text area gets its text only when it is shown: the scan keeps
    // large raw outputs in hidden ones.
    if ((all || name == "Text" || name == "Visible") && !fromUser_ && Visible()) {
        const QString text = DisplayText(Text());
        if (edit->toPlainText() != text) {
            const QSignalBlocker block(edit);
            edit->setPlainText(text);
        }
    }
    if (all || name == "ReadOnly") {
        edit->setReadOnly(ReadOnly());
        // Read-only text can still be selected and copied.
        edit->setTextInteractionFlags(ReadOnly() ? Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard
                                                 : Qt::TextEditorInteraction);
    }
    if (all || name == "Border")
        edit->setFrameShape(BooleanProperty("Border") ? QFrame::StyledPanel : QFrame::NoFrame);
    if (all || name == "ScrollBarVertical")
        edit->setVerticalScrollBarPolicy(BooleanProperty("ScrollBarVertical") ? Qt::ScrollBarAsNeeded
                                                                              : Qt::ScrollBarAlwaysOff);
    if (all || name == "ScrollBarHorizontal" || name == "MultiLine")
        edit->setLineWrapMode(BooleanProperty("ScrollBarHorizontal") ? QPlainTextEdit::NoWrap
                                                                     : QPlainTextEdit::WidgetWidth);
    if (all || name == "TextColor" || name == "BackColor") {
        QPalette palette = edit->palette();
        palette.setColor(QPalette::Text, ToQColor(ColorProperty("TextColor")));
        palette.setColor(QPalette::Base, ToQColor(ColorProperty("BackColor")));
        edit->setPalette(palette);
    }
}
