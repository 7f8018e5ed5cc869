#include "runtime/Listbox.h"

#include "core/Text.h"
#include "core/UIThread.h"
#include "runtime/internal/NativeControl.h"
#include "runtime/internal/QtValues.h"

#include <QAbstractTableModel>
#include <QHeaderView>
#include <QItemSelectionModel>
#include <QMetaObject>
#include <QResizeEvent>
#include <QTreeView>

namespace {

// The native list shows the rows of its Listbox through a model that reads
// them where they live, so no copy of the rows is made for the screen. Row
// changes made by code are gathered and announced to the view in one reset
// when control returns to the event loop (or a window is shown), so a scan
// of thousands of rows stays fast. Until then the view keeps the row count
// it was last told and reads nothing beyond the rows that exist.
class RowsModel : public QAbstractTableModel {
public:
    explicit RowsModel(std::weak_ptr<Listbox> owner) : owner_(std::move(owner)) {}

    int rowCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : shownRows_; }
    int columnCount(const QModelIndex& parent = {}) const override { return parent.isValid() ? 0 : shownColumns_; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole)
            return {};
        auto owner = owner_.lock();
        if (!owner || !index.isValid() || index.row() >= owner->ListCount() || index.column() >= owner->ColumnCount())
            return {};
        return DisplayText(owner->Cell(index.row(), index.column()));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        auto owner = owner_.lock();
        if (!owner || section >= owner->ColumnCount())
            return QString();
        return DisplayText(owner->Heading(section));
    }

    // The view learns the rows and columns as they are now.
    void Reset()
    {
        beginResetModel();
        auto owner = owner_.lock();
        shownRows_ = owner ? static_cast<int>(owner->ListCount()) : 0;
        shownColumns_ = owner ? static_cast<int>(std::max<int64_t>(1, owner->ColumnCount())) : 1;
        endResetModel();
    }
    void CellChanged(int row, int column) { emit dataChanged(index(row, column), index(row, column)); }
    void HeadingChanged(int column) { emit headerDataChanged(Qt::Horizontal, column, column); }

private:
    std::weak_ptr<Listbox> owner_;
    int shownRows_ = 0;
    int shownColumns_ = 1;
};

class NativeList : public QTreeView {
public:
    NativeList(QWidget* parent, std::weak_ptr<Listbox> owner) : QTreeView(parent), model_(owner), owner_(owner)
    {
        setModel(&model_);
        setRootIsDecorated(false);
        setUniformRowHeights(true);
        setSelectionMode(QAbstractItemView::SingleSelection);
        setSelectionBehavior(QAbstractItemView::SelectRows);
        setAllColumnsShowFocus(true);
        setItemsExpandable(false);
        header()->setStretchLastSection(false);
        connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
            if (syncing_)
                return;
            const QModelIndexList selected = selectionModel()->selectedRows();
            const int64_t row = selected.isEmpty() ? -1 : selected.first().row();
            if (auto o = owner_.lock())
                o->SelectedByUser(row);
        });
        connect(this, &QTreeView::doubleClicked, this, [this](const QModelIndex&) {
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
        model_.Reset();
        syncing_ = false;
        ApplyColumnWidths();
        Select(owner->ListIndex());
    }

    void Select(int64_t row)
    {
        if (rebuildPending_)
            return;  // the rebuild selects it
        syncing_ = true;
        selectionModel()->clearSelection();
        if (row >= 0 && row < model_.rowCount()) {
            const QModelIndex index = model_.index(static_cast<int>(row), 0);
            selectionModel()->setCurrentIndex(index, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
            scrollTo(index);
        }
        syncing_ = false;
    }

    void CellChanged(int64_t row, int64_t column)
    {
        if (rebuildPending_ || row >= model_.rowCount() || column >= model_.columnCount())
            return ScheduleRebuild();
        model_.CellChanged(static_cast<int>(row), static_cast<int>(column));
    }
    void HeadingChanged(int64_t column)
    {
        if (column < model_.columnCount())
            model_.HeadingChanged(static_cast<int>(column));
    }

protected:
    void resizeEvent(QResizeEvent* event) override
    {
        QTreeView::resizeEvent(event);
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
        for (int column = 0; column < model_.columnCount() && column < static_cast<int>(parts.size()); ++column) {
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

    RowsModel model_;
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

Listbox::Listbox()
{
    columnCount_ = IntegerProperty("ColumnCount");
}
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

void Listbox::AddRow(std::vector<std::string> cells)
{
    CheckUIThread();
    cells.resize(CellsPerRow());
    rows_.push_back(std::move(cells));
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
        list->CellChanged(row, column);
}

void Listbox::DeleteAllRows()
{
    CheckUIThread();
    rows_.clear();
    if (NativeList* list = NativeOf(native_.get()))
        list->ScheduleRebuild();
    SetListIndex(-1, false);
}

int64_t Listbox::RemoveRowsWhere(int64_t column, const std::function<bool(const std::string& cell)>& rule)
{
    CheckUIThread();
    CheckColumn(column, "RemoveRowsWhere");
    int64_t selected = listIndex_;
    size_t kept = 0;
    for (size_t row = 0; row < rows_.size(); ++row) {
        if (rule(rows_[row][static_cast<size_t>(column)])) {
            if (listIndex_ == static_cast<int64_t>(row))
                selected = -1;
            continue;
        }
        if (listIndex_ == static_cast<int64_t>(row))
            selected = static_cast<int64_t>(kept);
        if (kept != row)
            rows_[kept] = std::move(rows_[row]);
        ++kept;
    }
    const auto removed = static_cast<int64_t>(rows_.size() - kept);
    rows_.resize(kept);
    if (removed > 0)
        if (NativeList* list = NativeOf(native_.get()))
            list->ScheduleRebuild();
    SetListIndex(selected, false);
    return removed;
}

void Listbox::PropertyChanged(std::string_view name)
{
    if (name == "ColumnCount") {
        columnCount_ = IntegerProperty("ColumnCount");
        for (auto& row : rows_)
            row.resize(CellsPerRow());
    }
    RectControl::PropertyChanged(name);
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
        list->HeadingChanged(column);
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
    if (all || name == "ColumnCount")
        list->ScheduleRebuild();
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
