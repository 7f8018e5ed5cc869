#include "runtime/Listbox.h"

#include "runtime/Text.h"
#include "runtime/UIThread.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/QtValues.h"

#include <QHeaderView>
#include <QMetaObject>
#include <QResizeEvent>
#include <QTreeWidget>

namespace {

// The native list mirrors the rows of its Listbox. Row changes made by code
// are gathered and applied in one go when control returns to the event loop
// (or a window is shown), so a scan of thousands of rows stays fast.
class NativeList : public QTreeWidget {
public:
    NativeList(QWidget* parent, std::weak_ptr<Listbox> owner) : QTreeWidget(parent), owner_(std::move(owner))
    {
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setAllColumnsShowFocus(true);
        setItemsExpandable(false);
        header()->setStretchLastSection(false);
        connect(this, &QTreeWidget::itemSelectionChanged, this, [this] {
            if (syncing_)
                return;
            const QList<QTreeWidgetItem*> selected = selectedItems();
            const int64_t row = selected.isEmpty() ? -1 : indexOfTopLevelItem(selected.first());
            if (auto o = owner_.lock())
                o->SelectedByUser(row);
        });
        connect(this, &QTreeWidget::itemDoubleClicked, this, [this](QTreeWidgetItem*, int) {
            if (auto o = owner_.lock(); o && o->Enabled())
                o->RaiseEvent(ListboxEvent::DoubleClick);
        });
    }

    void SetColumnWidths(const std::string& spec)
    {
        widths_ = spec;
        ApplyColumnWidths();
    }

    void ScheduleRebuild()
    {
        if (rebuildPending_)
            return;
        rebuildPending_ = true;
        QMetaObject::invokeMethod(
            this, [this] { RebuildNow(); }, Qt::QueuedConnection);
    }

    void RebuildNow()
    {
        rebuildPending_ = false;
        auto owner = owner_.lock();
        if (!owner)
            return;
        syncing_ = true;
        clear();
        QList<QTreeWidgetItem*> items;
        items.reserve(static_cast<qsizetype>(owner->ListCount()));
        for (int64_t row = 0; row < owner->ListCount(); ++row) {
            auto* item = new QTreeWidgetItem;
            for (int64_t column = 0; column < owner->ColumnCount(); ++column)
                item->setText(static_cast<int>(column), DisplayText(owner->Cell(row, column)));
            items.append(item);
        }
        addTopLevelItems(items);
        syncing_ = false;
        Select(owner->ListIndex());
    }

    void Select(int64_t row)
    {
        if (rebuildPending_)
            return;  // the rebuild selects it
        syncing_ = true;
        clearSelection();
        if (row >= 0 && row < topLevelItemCount()) {
            QTreeWidgetItem* item = topLevelItem(static_cast<int>(row));
            item->setSelected(true);
            setCurrentItem(item);
            scrollToItem(item);
        }
        syncing_ = false;
    }

    void SetCellText(int64_t row, int64_t column, const std::string& text)
    {
        if (rebuildPending_ || row >= topLevelItemCount())
            return ScheduleRebuild();
        topLevelItem(static_cast<int>(row))->setText(static_cast<int>(column), DisplayText(text));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTreeWidget::resizeEvent(event);
        ApplyColumnWidths();
    }

private:
    // "50%,25%,25%": shares of the width; plain numbers are pixels, "*" the rest.
    void ApplyColumnWidths()
    {
        const int total = viewport()->width();
        const std::vector<std::string> parts = Split(widths_, ",");
        int used = 0;
        int star = -1;
        for (int column = 0; column < columnCount() && column < static_cast<int>(parts.size()); ++column) {
            const std::string part = Trim(parts[static_cast<size_t>(column)]);
            int width = -1;
            if (part == "*") {
                star = column;
                continue;
            }
            try {
                if (!part.empty() && part.back() == '%')
                    width = static_cast<int>(std::stod(part.substr(0, part.size() - 1)) * total / 100.0);
                else if (!part.empty())
                    width = std::stoi(part);
            } catch (const std::exception&) {
                width = -1;
            }
            if (width >= 0) {
                setColumnWidth(column, width);
                used += width;
            }
        }
        if (star >= 0)
            setColumnWidth(star, std::max(0, total - used));
    }

    std::weak_ptr<Listbox> owner_;
    std::string widths_;
    bool syncing_ = false;
    bool rebuildPending_ = false;
};

NativeList* NativeOf(const RectControl::Native* native)
{
    return native ? static_cast<NativeList*>(native->widget.data()) : nullptr;
}

}  // namespace

Listbox::Listbox() = default;
Listbox::~Listbox() = default;

const PropertyClass& Listbox::PropertyList() const
{
    return *FindPropertyClass("Listbox");
}

std::span<const std::string_view> Listbox::EventNames() const
{
    return ListboxEvent::kNames;
}

void Listbox::CheckRow(int64_t row, const char* what) const
{
    if (row < 0 || row >= ListCount())
        throw OutOfBoundsException(std::string(what) + ": row " + Str(row) + " is outside the list's " +
                                   Str(ListCount()) + " rows");
}

void Listbox::CheckColumn(int64_t column, const char* what) const
{
    if (column < 0 || column >= ColumnCount())
        throw OutOfBoundsException(std::string(what) + ": column " + Str(column) + " is outside the list's " +
                                   Str(ColumnCount()) + " columns");
}

void Listbox::AddRow(const std::vector<std::string>& cells)
{
    CheckUIThread();
    std::vector<std::string> row(static_cast<size_t>(std::max<int64_t>(1, ColumnCount())));
    for (size_t i = 0; i < row.size() && i < cells.size(); ++i)
        row[i] = cells[i];
    rows_.push_back(std::move(row));
    if (NativeList* list = NativeOf(native_.get()))
        list->ScheduleRebuild();
}

std::string Listbox::Cell(int64_t row, int64_t column) const
{
    CheckUIThread();
    CheckRow(row, "Cell");
    CheckColumn(column, "Cell");
    return rows_[static_cast<size_t>(row)][static_cast<size_t>(column)];
}

void Listbox::Cell(int64_t row, int64_t column, const std::string& text)
{
    CheckUIThread();
    CheckRow(row, "Cell");
    CheckColumn(column, "Cell");
    rows_[static_cast<size_t>(row)][static_cast<size_t>(column)] = text;
    if (NativeList* list = NativeOf(native_.get()))
        list->SetCellText(row, column, text);
}

void Listbox::DeleteAllRows()
{
    CheckUIThread();
    rows_.clear();
    if (NativeList* list = NativeOf(native_.get()))
        list->ScheduleRebuild();
    SetListIndex(-1, false);
}

void Listbox::RemoveRow(int64_t row)
{
    CheckUIThread();
    CheckRow(row, "RemoveRow");
    rows_.erase(rows_.begin() + row);
    if (NativeList* list = NativeOf(native_.get()))
        list->ScheduleRebuild();
    if (listIndex_ == row)
        SetListIndex(-1, false);
    else if (listIndex_ > row)
        SetListIndex(listIndex_ - 1, false);
}

void Listbox::ListIndex(int64_t index)
{
    CheckUIThread();
    if (index < -1 || index >= ListCount())
        throw OutOfBoundsException("ListIndex: " + Str(index) + " is outside the list's " + Str(ListCount()) + " rows");
    SetListIndex(index, true);
}

void Listbox::SelectedByUser(int64_t index)
{
    if (index < -1 || index >= ListCount())
        index = -1;
    SetListIndex(index, false);
}

void Listbox::SetListIndex(int64_t index, bool updateNative)
{
    if (updateNative || index != listIndex_)
        if (NativeList* list = NativeOf(native_.get()))
            list->Select(index);
    if (index == listIndex_)
        return;
    listIndex_ = index;
    RaiseEvent(ListboxEvent::Change);
}

std::string Listbox::Heading(int64_t column) const
{
    CheckUIThread();
    CheckColumn(column, "Heading");
    return static_cast<size_t>(column) < headings_.size() ? headings_[static_cast<size_t>(column)] : std::string();
}

void Listbox::Heading(int64_t column, const std::string& text)
{
    CheckUIThread();
    CheckColumn(column, "Heading");
    if (headings_.size() <= static_cast<size_t>(column))
        headings_.resize(static_cast<size_t>(column) + 1);
    headings_[static_cast<size_t>(column)] = text;
    if (NativeList* list = NativeOf(native_.get()))
        list->headerItem()->setText(static_cast<int>(column), DisplayText(text));
}

void Listbox::BuildNative()
{
    QWidget* content = ContentOf(*this);
    native_->widget = new NativeList(content, std::static_pointer_cast<Listbox>(shared_from_this()));
}

void Listbox::SyncNative(std::string_view name)
{
    NativeList* list = NativeOf(native_.get());
    const bool all = name.empty();
    if (all || name == "ColumnCount") {
        list->setColumnCount(static_cast<int>(std::max<int64_t>(1, ColumnCount())));
        for (auto& row : rows_)
            row.resize(static_cast<size_t>(std::max<int64_t>(1, ColumnCount())));
        for (int column = 0; column < list->columnCount(); ++column)
            list->headerItem()->setText(column, static_cast<size_t>(column) < headings_.size()
                                                    ? DisplayText(headings_[static_cast<size_t>(column)])
                                                    : QString());
        list->ScheduleRebuild();
    }
    if (all || name == "ColumnCount" || name == "ColumnWidths")
        list->SetColumnWidths(StringProperty("ColumnWidths"));
    if (all || name == "HasHeading")
        list->setHeaderHidden(!BooleanProperty("HasHeading"));
    if (all || name == "ColumnsResizable")
        list->header()->setSectionResizeMode(BooleanProperty("ColumnsResizable") ? QHeaderView::Interactive
                                                                                 : QHeaderView::Fixed);
    if (all || name == "InitialValue") {
        // Initial rows: one per line, cells separated by tabs.
        const std::string initial = StringProperty("InitialValue");
        if (!initial.empty() && rows_.empty())
            for (const std::string& line : Split(ReplaceLineEndings(initial, "\n"), "\n"))
                AddRow(Split(line, "\t"));
    }
    if (all || name == "ScrollBarVertical")
        list->setVerticalScrollBarPolicy(BooleanProperty("ScrollBarVertical") ? Qt::ScrollBarAsNeeded
                                                                              : Qt::ScrollBarAlwaysOff);
    if (all || name == "ScrollBarHorizontal")
        list->setHorizontalScrollBarPolicy(BooleanProperty("ScrollBarHorizontal") ? Qt::ScrollBarAsNeeded
                                                                                  : Qt::ScrollBarAlwaysOff);
    if (all || name == "Border")
        list->setFrameShape(BooleanProperty("Border") ? QFrame::StyledPanel : QFrame::NoFrame);
}
