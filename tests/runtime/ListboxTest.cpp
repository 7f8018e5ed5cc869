#include "RuntimeFixture.h"

#include "runtime/Listbox.h"
#include "runtime/Window.h"
#include "runtime/internal/NativeControl.h"

#include <QAbstractItemModel>
#include <QCoreApplication>
#include <QTreeView>

#include <string>
#include <vector>

namespace {

class ListboxRows : public RuntimeTest {
protected:
    // A shown window holding one two-column list.
    void SetUp() override
    {
        RuntimeTest::SetUp();
        window = std::make_shared<Window>("listWindow.listWindow");
        window->Constructor();
        list = window->New<Listbox>();
        list->Constructor();
        window->AddControl(list, "list");
        SetProperties(*list, BlockBuilder("Listbox")("Name", "list")("Left", 0)("Top", 0)("Width", 200)("Height", 300)(
                                 "ColumnCount", 2));
        RuntimeAddEventHandler(list, ListboxEvent::Change, [this](const EventArgs&) {
            ++changes;
            return false;
        });
        window->Show();
    }

    void Fill(const std::vector<std::string>& names)
    {
        list->DeleteAllRows();
        for (const std::string& name : names)
            list->AddRow({name, "id-" + name});
    }
    std::vector<std::string> Names() const
    {
        std::vector<std::string> names;
        for (int64_t row = 0; row < list->ListCount(); ++row)
            names.push_back(list->Cell(row, 0));
        return names;
    }
    QTreeView* View() const { return qobject_cast<QTreeView*>(list->NativeData()->widget.data()); }
    // The rows as the native view shows them, once the loop has run.
    std::vector<std::string> ShownNames() const
    {
        QCoreApplication::processEvents();
        QTreeView* view = View();
        std::vector<std::string> names;
        for (int row = 0; row < view->model()->rowCount(); ++row)
            names.push_back(view->model()->index(row, 0).data().toString().toStdString());
        return names;
    }

    std::shared_ptr<Window> window;
    std::shared_ptr<Listbox> list;
    int changes = 0;
};

TEST_F(ListboxRows, RemovingByARuleKeepsTheOrderAndMovesTheSelectionWithItsRow)
{
    struct Case {
        const char* name;
        std::vector<std::string> rows;
        int64_t selected;
        std::vector<std::string> kept;
        int64_t selectedAfter;
        int changes;  // Change events raised by the removal
    } cases[] = {
        {"nothing matches", {"a", "b"}, 1, {"a", "b"}, 1, 0},
        {"adjacent matches, selection after them", {"x1", "x2", "a", "x3", "b"}, 4, {"a", "b"}, 1, 1},
        {"the selected row goes", {"a", "x1", "b"}, 1, {"a", "b"}, -1, 1},
        {"selection before the matches stays", {"a", "x1", "x2"}, 0, {"a"}, 0, 0},
        {"every row goes", {"x1", "x2"}, -1, {}, -1, 0},
        {"an empty list", {}, -1, {}, -1, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Fill(c.rows);
        list->ListIndex(c.selected);
        changes = 0;
        const int64_t removed = list->RemoveRowsWhere(0, [](const std::string& cell) { return cell.starts_with("x"); });
        EXPECT_EQ(removed, static_cast<int64_t>(c.rows.size() - c.kept.size()));
        EXPECT_EQ(Names(), c.kept);
        EXPECT_EQ(ShownNames(), c.kept);
        EXPECT_EQ(list->ListIndex(), c.selectedAfter);
        EXPECT_EQ(changes, c.changes);
        for (int64_t row = 0; row < list->ListCount(); ++row)
            EXPECT_EQ(list->Cell(row, 1), "id-" + list->Cell(row, 0)) << "a row keeps its own cells";
    }
    EXPECT_THROW(list->RemoveRowsWhere(2, [](const std::string&) { return true; }), OutOfBoundsException);
}

// The view reads the rows where they live: a change made by code shows once
// the loop has run, and a cell written later shows its new text, the view
// being told to paint that cell again.
TEST_F(ListboxRows, TheViewShowsTheRowsAsCodeLeftThem)
{
    Fill({"a", "b", "c"});
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"a", "b", "c"}));
    list->Cell(1, 0, "B");
    list->RemoveRowsWhere(0, [](const std::string& cell) { return cell == "a"; });
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"B", "c"}));

    std::vector<std::pair<int, int>> repainted;
    QObject::connect(View()->model(), &QAbstractItemModel::dataChanged,
                     [&](const QModelIndex& from, const QModelIndex& to) {
                         for (int row = from.row(); row <= to.row(); ++row)
                             for (int column = from.column(); column <= to.column(); ++column)
                                 repainted.emplace_back(row, column);
                     });
    list->Cell(0, 1, "id-bee");
    EXPECT_EQ(repainted, (std::vector<std::pair<int, int>>{{0, 1}}));
    list->Cell(0, 0, "bee");
    EXPECT_EQ(ShownNames(), (std::vector<std::string>{"bee", "c"}));
}

// The rows live in the object: after its window has closed, the list still
// takes more columns, and its rows grow to them.
TEST_F(ListboxRows, ARowGrowsToANewColumnCountAlsoWithoutItsWindow)
{
    Fill({"a", "b"});
    window->Close();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    ASSERT_EQ(list->NativeData()->widget, nullptr);
    list->SetProperty("ColumnCount", int64_t{4});
    for (int64_t row = 0; row < list->ListCount(); ++row) {
        EXPECT_EQ(list->Cell(row, 1), "id-" + list->Cell(row, 0));
        EXPECT_EQ(list->Cell(row, 3), "");
    }
    list->Cell(1, 3, "d");
    EXPECT_EQ(list->Cell(1, 3), "d");
}

}  // namespace
