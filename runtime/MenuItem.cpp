#include "runtime/MenuItem.h"

#include "runtime/Application.h"
#include "runtime/Runtime.h"
#include "runtime/Text.h"
#include "runtime/internal/Native.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTextEdit>

namespace {

std::string& FailingChildName()
{
    static std::string name;
    return name;
}

// "Cmd+Q" names the platform's command key, which is Ctrl here.
QKeySequence ToKeySequence(const std::string& shortcut)
{
    std::string text = shortcut;
    const std::string cmd = "Cmd+";
    if (TextEquals(Left(text, 4), cmd))
        text = "Ctrl+" + text.substr(cmd.size());
    return QKeySequence(ToQt(text));
}

// The standard edit commands, by item name, on the focused text control.
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

bool IsEditCommand(const std::string& name)
{
    for (const char* n : {"EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll"})
        if (TextEquals(name, n))
            return true;
    return false;
}

QAction* NativeAction(const std::shared_ptr<MenuItem>& item, QObject* parent)
{
    auto* action = new QAction(ToQt(item->Text()), parent);
    action->setObjectName(ToQt(item->Name()));
    if (item->IsSeparator())
        action->setSeparator(true);
    action->setVisible(item->Visible());
    if (item->KeyboardShortcut() && !item->KeyboardShortcut()->empty())
        action->setShortcut(ToKeySequence(*item->KeyboardShortcut()));
    if (item->Kind() == "AppleMenuItem")
        action->setMenuRole(QAction::AboutRole);
    else if (item->Kind() == "QuitMenuItem")
        action->setMenuRole(QAction::QuitRole);
    else
        action->setMenuRole(QAction::NoRole);
    std::weak_ptr<MenuItem> weak = item;
    QObject::connect(action, &QAction::triggered, action, [weak] {
        if (auto i = weak.lock())
            RuntimeCallHandler([&] { return i->Choose(); });
    });
    item->NativeData().actions.emplace_back(action);
    return action;
}

void AddItems(QMenu* menu, const std::shared_ptr<MenuItem>& model)
{
    for (const auto& child : model->Children()) {
        if (!child->Children().empty()) {
            QMenu* sub = menu->addMenu(ToQt(child->Text()));
            sub->menuAction()->setVisible(child->Visible());
            child->NativeData().actions.emplace_back(sub->menuAction());
            AddItems(sub, child);
        } else {
            menu->addAction(NativeAction(child, menu));
        }
    }
    // Edit items are offered only when the focused control can take them.
    QObject::connect(menu, &QMenu::aboutToShow, menu, [menu] {
        for (QAction* action : menu->actions())
            if (const std::string name = FromQt(action->objectName()); IsEditCommand(name))
                action->setEnabled(EditCommand(name, false));
    });
}

}  // namespace

MenuItem::MenuItem() : native_(std::make_unique<Native>()) {}
MenuItem::~MenuItem() = default;

void MenuItem::Text(const std::string& text)
{
    text_ = text;
    for (const auto& action : native_->actions)
        if (action) {
            action->setText(ToQt(text));
            action->setSeparator(IsSeparator());
        }
}

void MenuItem::Visible(bool value)
{
    visible_ = value;
    for (const auto& action : native_->actions)
        if (action)
            action->setVisible(value);
}

void MenuItem::KeyboardShortcut(const std::string& shortcut)
{
    shortcut_ = shortcut;
    for (const auto& action : native_->actions)
        if (action)
            action->setShortcut(shortcut.empty() ? QKeySequence() : ToKeySequence(shortcut));
}

void MenuItem::Append(const std::shared_ptr<MenuItem>& child)
{
    CheckUIThread();
    children_.push_back(NotNil(child, "the menu item to append"));
}

std::shared_ptr<MenuItem> MenuItem::Child(std::string_view name) const
{
    CheckUIThread();
    if (!FailingChildName().empty() && TextEquals(FailingChildName(), name)) {
        FailingChildName().clear();
        return nullptr;
    }
    for (const auto& child : children_)
        if (TextEquals(child->Name(), name))
            return child;
    return nullptr;
}

std::shared_ptr<MenuItem> MenuItem::Lookup(std::string_view name) const
{
    for (const auto& child : children_) {
        if (TextEquals(child->Name(), name))
            return child;
        if (auto found = child->Lookup(name))
            return found;
    }
    return nullptr;
}

bool MenuItem::Choose()
{
    CheckUIThread();
    if (std::shared_ptr<Application> app = GetAppObject())
        if (app->DispatchMenuCommand(name_, index_.value_or(0)))
            return true;
    if (Kind() == "QuitMenuItem") {
        Quit(0);
        return true;
    }
    return EditCommand(name_, true);
}

void MenuItem::FailNextChildLookupForTesting(const std::string& name)
{
    FailingChildName() = name;
}

void BuildNativeMenus(QMenuBar* bar, const std::shared_ptr<MenuBar>& model)
{
    // Items that must stay reachable although their menu is hidden (About,
    // Quit) go into a menu named after the program; on macOS Qt moves them
    // to the application menu by their roles.
    QMenu* program = nullptr;
    for (const auto& menu : model->Children()) {
        if (menu->Visible())
            continue;
        for (const auto& item : menu->Children()) {
            if (item->Kind() != "AppleMenuItem" && item->Kind() != "QuitMenuItem")
                continue;
            if (!program)
                program = bar->addMenu(ProgramName());
            program->addAction(NativeAction(item, program));
        }
    }
    for (const auto& menu : model->Children()) {
        if (!menu->Visible())
            continue;
        QMenu* native = bar->addMenu(ToQt(menu->Text()));
        menu->NativeData().actions.emplace_back(native->menuAction());
        AddItems(native, menu);
    }
}
