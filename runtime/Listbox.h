#pragma once

#include "runtime/Control.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

// A list of rows of text cells under an optional heading. The rows live in
// the object; the native list mirrors them. Change is raised whenever the
// selected row changes, by the user or by code.
class Listbox : public RectControl {
public:
    Listbox();
    ~Listbox() override;
    const PropertyClass& PropertyList() const override;
    std::span<const std::string_view> EventNames() const override;

    int64_t ColumnCount() const { return columnCount_; }
    // Appends a row; cells beyond the column count are dropped, missing ones are empty.
    void AddRow(std::vector<std::string> cells);
    // Reading or writing a cell outside the rows or columns raises OutOfBoundsException.
    std::string Cell(int64_t row, int64_t column) const;
    void Cell(int64_t row, int64_t column, const std::string& text);
    void DeleteAllRows();
    // Removes, in one pass, every row whose cell in `column` the rule names;
    // the rows that stay keep their order. Returns how many went.
    int64_t RemoveRowsWhere(int64_t column, const std::function<bool(const std::string& cell)>& rule);
    int64_t ListCount() const { return static_cast<int64_t>(rows_.size()); }

    // The selected row from 0, -1 for none. Writing -1 clears the selection;
    // another value outside the rows raises OutOfBoundsException.
    int64_t ListIndex() const { return listIndex_; }
    void ListIndex(int64_t index);

    std::string Heading(int64_t column) const;
    void Heading(int64_t column, const std::string& text);

    // The user picked a row (or none) in the native list.
    void SelectedByUser(int64_t index);

protected:
    void BuildNative() override;
    void SyncNative(std::string_view property) override;
    void PropertyChanged(std::string_view name) override;

private:
    void CheckRow(int64_t row, const char* what) const;
    void CheckColumn(int64_t column, const char* what) const;
    // Every row holds a cell for each column, and at least one.
    size_t CellsPerRow() const { return static_cast<size_t>(std::max<int64_t>(1, columnCount_)); }
    void SetListIndex(int64_t index, bool updateNative);

    std::vector<std::vector<std::string>> rows_;
    std::vector<std::string> headings_;
    int64_t listIndex_ = -1;
    // The ColumnCount property, kept at hand: every cell access checks it.
    int64_t columnCount_ = 0;
};
