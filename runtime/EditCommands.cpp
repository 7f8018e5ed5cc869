#include "runtime/internal/EditCommands.h"

#include "core/Text.h"

#include <QApplication>
#include <QClipboard>
#include <QPlainTextEdit>

namespace {

struct EditCommand {
    const char* name;
    bool (*can)(const QPlainTextEdit& text);
    void (*run)(QPlainTextEdit& text);
};

bool Writable(const QPlainTextEdit& text)
{
    return !text.isReadOnly();
}

bool HasSelection(const QPlainTextEdit& text)
{
    return text.textCursor().hasSelection();
}

const EditCommand kCommands[] = {
    {"EditUndo", [](const QPlainTextEdit& t) { return Writable(t) && t.document()->isUndoAvailable(); },
     [](QPlainTextEdit& t) { t.undo(); }},
    {"EditCut", [](const QPlainTextEdit& t) { return Writable(t) && HasSelection(t); },
     [](QPlainTextEdit& t) { t.cut(); }},
    {"EditCopy", HasSelection, [](QPlainTextEdit& t) { t.copy(); }},
    {"EditPaste", [](const QPlainTextEdit& t) { return Writable(t) && !QApplication::clipboard()->text().isEmpty(); },
     [](QPlainTextEdit& t) { t.paste(); }},
    {"EditClear", [](const QPlainTextEdit& t) { return Writable(t) && HasSelection(t); },
     [](QPlainTextEdit& t) { t.textCursor().removeSelectedText(); }},
    {"EditSelectAll", [](const QPlainTextEdit&) { return true; }, [](QPlainTextEdit& t) { t.selectAll(); }},
};

const EditCommand* Find(const std::string& name)
{
    for (const EditCommand& command : kCommands)
        if (TextEquals(name, command.name))
            return &command;
    return nullptr;
}

// The focused text area, when it can take the command now.
QPlainTextEdit* Taker(const EditCommand* command)
{
    auto* text = qobject_cast<QPlainTextEdit*>(QApplication::focusWidget());
    return command && text && command->can(*text) ? text : nullptr;
}

}  // namespace

bool IsEditCommand(const std::string& name)
{
    return Find(name) != nullptr;
}

bool CanRunEditCommand(const std::string& name)
{
    return Taker(Find(name)) != nullptr;
}

bool RunEditCommand(const std::string& name)
{
    const EditCommand* command = Find(name);
    QPlainTextEdit* text = Taker(command);
    if (text)
        command->run(*text);
    return text != nullptr;
}
