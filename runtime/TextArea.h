#pragma once

#include "runtime/Control.h"

class TextEdit : public RectControl {
public:
    ~TextEdit() override;
    const PropertyClass& PropertyList() const override;

    // Code may set the text of a read-only text area.
    std::string Text() const { return StringProperty("Text"); }
    void Text(const std::string& text) { SetProperty("Text", text); }
    bool ReadOnly() const { return BooleanProperty("ReadOnly"); }
    void ReadOnly(bool readOnly) { SetProperty("ReadOnly", readOnly); }

protected:
    TextEdit();
};

// A multi-line text area. The user's edits flow back into Text.
class TextArea : public TextEdit {
public:
    TextArea();
    ~TextArea() override;
    const PropertyClass& PropertyList() const override;

    void TextEditedByUser(const std::string& text);

protected:
    void BuildNative() override;
    void SyncNative(std::string_view property) override;

private:
    bool fromUser_ = false;
};
