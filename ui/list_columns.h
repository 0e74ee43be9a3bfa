// A list's columns in one table: the title, the width and how each row's cell is written. The
// page that makes the list reads its titles and widths from it, and its rows are written through
// it, so a new column is a new entry here and the reading of what it shows.
#pragma once
#include <string>
#include <vector>

// A column's width at 96 DPI: so many pixels, or the list's own width less so many.
struct ColumnWidth {
    int pixels;
    bool lessThanList = false;
    int For(int listWidth) const { return lessThanList ? listWidth - pixels : pixels; }
};
constexpr ColumnWidth ListWidthLess(int pixels) {
    return {pixels, true};
}

template <typename Row> struct ListColumn {
    const wchar_t* title;
    ColumnWidth width;
    // The cell of a row, which is the `number`-th of the list, counting from 1.
    std::wstring (*cell)(const Row& row, int number);
};
template <typename Row> using ListColumns = std::vector<ListColumn<Row>>;

// The cells of the `number`-th row, in column order.
template <typename Row>
std::vector<std::wstring> RowCells(const ListColumns<Row>& columns, const Row& row, int number) {
    std::vector<std::wstring> cells;
    cells.reserve(columns.size());
    for (const ListColumn<Row>& column : columns)
        cells.push_back(column.cell(row, number));
    return cells;
}
