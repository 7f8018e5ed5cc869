#include "runtime/internal/EditCommands.h"

#include "core/Text.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextEdit>

bool IsEditCommand(const std::string& name)
{
    for (const char* n : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"})
        if (TextEquals(name, n))
            return true;
    return false;
}

bool EditCommand(const std::string& name, bool run)
{
    QWidget* focus = QApplication::focusWidget();
    auto* line = qobject_cast<QLineEdit*>(focus);
    auto* plain = qobject_cast<QPlainTextEdit*>(focus);
    auto* rich = qobject_cast<QTextEdit*>(focus);
    if (!line && !plain && !rich)
        return false;
    const bool readOnly = line ? line->isReadOnly() : plain ? plain->isReadOnly() : rich->isReadOnly();
    const bool hasSelection = line    ? line->hasSelectedText()
                              : plain ? plain->textCursor().hasSelection()
                                      : rich->textCursor().hasSelection();
    auto act = [&](auto lineOp, auto plainOp, auto richOp) {
        if (run) {
            if (line)
                lineOp(line);
            else if (plain)
                plainOp(plain);
            else
                richOp(rich);
        }
        return true;
    };
    if (TextEquals(name, "EditUndo")) {
        const bool available = !readOnly && (line    ? line->isUndoAvailable()
                                             : plain ? plain->document()->isUndoAvailable()
                                                     : rich->document()->isUndoAvailable());
        return available && act([](QLineEdit* w) { w->undo(); }, [](QPlainTextEdit* w) { w->undo(); },
                                [](QTextEdit* w) { w->undo(); });
    }
    if (TextEquals(name, "EditCut"))
        return !readOnly && hasSelection &&
               act([](QLineEdit* w) { w->cut(); }, [](QPlainTextEdit* w) { w->cut(); }, [](QTextEdit* w) { w->cut(); });
    if (TextEquals(name, "EditCopy"))
        return hasSelection && act([](QLineEdit* w) { w->copy(); }, [](QPlainTextEdit* w) { w->copy(); },
                                   [](QTextEdit* w) { w->copy(); });
    if (TextEquals(name, "EditPaste"))
        return !readOnly && !QApplication::clipboard()->text().isEmpty() &&
               act([](QLineEdit* w) { w->paste(); }, [](QPlainTextEdit* w) { w->paste(); },
                   [](QTextEdit* w) { w->paste(); });
    if (TextEquals(name, "EditClear"))
        return !readOnly && hasSelection &&
               act([](QLineEdit* w) { w->del(); }, [](QPlainTextEdit* w) { w->textCursor().removeSelectedText(); },
                   [](QTextEdit* w) { w->textCursor().removeSelectedText(); });
    if (TextEquals(name, "EditSelectAll"))
        return act([](QLineEdit* w) { w->selectAll(); }, [](QPlainTextEdit* w) { w->selectAll(); },
                   [](QTextEdit* w) { w->selectAll(); });
    return false;
}
