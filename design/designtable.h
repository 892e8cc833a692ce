#pragma once
// The design-matrix table: one row per marked grid cell, one column per design-matrix
// column that holds a non-zero entry in any of those rows, and the value cells the user
// edits before Close writes them into the model's design matrix. A plain value type:
// the window shows it and forwards every command to it.
//
// Value cells are numbered column by column: the cell of row x and column j has index
// j * rowCount() + x. Every command works in that order.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "model/model.h"
#include "model/result.h"
#include "model/valuechange.h"

namespace tw {

/// Background of a column header: never pressed, plain, or selected for "Delete".
enum class HeaderShade : std::uint8_t { Default, White, Blue };
/// Background of a value cell: never touched, plain, or highlighted.
enum class CellShade : std::uint8_t { Default, White, Yellow };
enum class ScrollDirection { Left, Up, Down, Right };
/// The keys held during a press on a value cell: only Shift highlights.
enum class PressKeys { ShiftOnly, Other };

/// Columns and rows move by this many cells per scroll command.
inline constexpr int kScrollStep = 4;

struct DesignRow {
    int cell = 0;             // the model cell of the row (dmrowcell)
    std::string label;        // labels(cell)
    bool hasEntries = false;  // false when pim(cell) <= 0 or the cell lies outside the model
    std::string name;         // "12 · Survival g1 a2 s1 t3" (see DesignTable::rowName)
    std::string factors;      // "group 1, age 2, stratum 1, time 3"; empty when not known
    bool operator==(const DesignRow&) const = default;
};

struct DesignColumn {
    std::string header;       // "B" + column number, as the user may have retyped it
    std::string builtHeader;  // the header as built or added
    std::string name;         // the name the model gives the built column ("survival:time3"); empty: none
    HeaderShade shade = HeaderShade::Default;
    bool hidden = false;      // hidden by "Delete"; Close still writes it
    bool added = false;       // added by "Add": its cells were never read from the model
    bool operator==(const DesignColumn&) const = default;
};

/// Why Close cannot write the table back, and where: the value cell or the column.
struct DesignRefusal {
    std::string message;
    int cell = -1;    // index of the offending value cell, or -1
    int column = -1;  // index of the offending column, or -1
};

/// A rectangle of rows and columns (inclusive bounds).
struct CellBlock {
    int firstRow = 0;
    int lastRow = 0;
    int firstColumn = 0;
    int lastColumn = 0;
};

/// What one command of the window changed in a table of unchanged rows and columns: an
/// undo step. Scrolling, the header selection and the anchor are not part of it.
struct DesignEdit {
    std::vector<ValueChange<std::string>> texts;    // value cells, by cell index
    std::vector<ValueChange<CellShade>> shades;     // value cells, by cell index
    std::vector<ValueChange<std::string>> headers;  // by column
    std::vector<ValueChange<bool>> hidden;          // by column

    bool empty() const { return texts.empty() && shades.empty() && headers.empty() && hidden.empty(); }
};

class DesignTable {
public:
    /// Replaces the table by one row per given model cell, in the order given, and the
    /// columns 1..dmcols in which any of those rows has a non-zero entry, in increasing
    /// order, each with its name in the model. A row whose cell has no parameter (pim <= 0) or lies outside 1..npar gets
    /// empty read-only entries. The anchor of block highlighting is kept.
    void build(const Model& model, const std::vector<int>& rowCells);
    /// Empties the table, as Close leaves it (the anchor is kept).
    void clear();

    int rowCount() const { return static_cast<int>(m_rows.size()); }
    int columnCount() const { return static_cast<int>(m_columns.size()); }
    int cellCount() const { return static_cast<int>(m_texts.size()); }
    int cellIndex(int row, int column) const { return column * rowCount() + row; }
    int rowOf(int cell) const { return cell % rowCount(); }
    int columnOf(int cell) const { return cell / rowCount(); }

    const DesignRow& row(int x) const { return m_rows[x]; }
    const DesignColumn& column(int j) const { return m_columns[j]; }
    const std::string& text(int cell) const { return m_texts[cell]; }
    CellShade shade(int cell) const { return m_shades[cell]; }
    /// Whether the user may type into the cell (its row has entries).
    bool editable(int cell) const { return m_rows[rowOf(cell)].hasEntries; }
    /// The model cell of every row (dmrowcell).
    std::vector<int> rowCells() const;
    /// What the row header shows and messages call the row: the parameter the cell holds
    /// and the probability it is ("12 · Survival g1 a2 s1 t3"); the cell's label stands
    /// for the probability when the model's dimensions do not give it, and "cell N" for
    /// a cell without a label or outside the model.
    const std::string& rowName(int x) const { return m_rows[x].name; }

    /// Sets a value cell's text; false (and nothing changes) for a read-only cell.
    bool setText(int cell, std::string text);
    /// Sets a column header's text.
    void setHeader(int column, std::string text);
    /// Shows a hidden column again (to point at an entry Close refused).
    void unhide(int column) { m_columns[column].hidden = false; }

    /// "Idenity": every cell white and "0", then "1" on the diagonal. Read-only rows
    /// stay empty.
    void identity();
    /// "Add": raises dmcols, marks the new column used (without a name) and appends its
    /// header and cells reading "0". Refuses when dmcols has reached the largest column number.
    Status addColumn(Model& model);
    /// "Delete": hides every selected (blue) column but the first; returns the columns
    /// hidden now. Nothing is removed: Close still writes them.
    std::vector<int> deleteSelected();
    /// A press on a header: white turns blue, anything else turns white.
    void pressHeader(int column);
    /// Puts a header's shade back (a double-click that edits the header is no selection).
    void setHeaderShade(int column, HeaderShade shade) { m_columns[column].shade = shade; }
    /// A press on a value cell: it becomes the anchor; with Shift alone held, every cell
    /// of the block from the previous anchor to it toggles between yellow and white.
    /// Returns the block toggled, if any.
    std::optional<CellBlock> pressCell(int cell, PressKeys keys);
    int lastcell() const { return m_lastcell; }

    /// Moves the first row or column shown by kScrollStep, kept within the table.
    void scroll(ScrollDirection direction);
    /// Records where the user scrolled to by other means.
    void setScrollPosition(int firstRow, int firstShownColumn);
    int firstRow() const { return m_firstRow; }
    /// Counted among the columns not hidden.
    int firstShownColumn() const { return m_firstShownColumn; }
    int shownColumnCount() const;

    /// Whether a cell's entry was typed or set in the window (or its column added or
    /// renumbered), so that Close must store it.
    bool edited(int cell) const;
    /// Whether Close would store anything.
    bool hasEdits() const;

    /// What keeps Close from writing the table back: a header that reads as no column
    /// number, or an entry that is not a number (the first in cell order). nullopt when
    /// every header and entry reads.
    std::optional<DesignRefusal> check() const;
    /// Close: stores every edited entry into dm(pim(cell), column). An unedited entry is
    /// never stored, so an unchanged twin row cannot undo an edit of the same parameter;
    /// a non-zero entry marks its column used and raises dmcols to reach it. A column that
    /// takes entries of another (a retyped header) or that was not in use loses its name.
    /// Marks the model changed and returns true when the model changed. Call only after
    /// check().
    bool writeBack(Model& model) const;

    /// The edit that turns this table into after, a copy changed by one command.
    DesignEdit editTo(const DesignTable& after) const;
    /// Sets one side of an edit (undo and redo); the scroll position stays within the
    /// columns shown.
    void apply(const DesignEdit& edit, ChangeSide side);

    bool operator==(const DesignTable&) const = default;

private:
    void toggleBlock(const CellBlock& block);

    std::vector<DesignRow> m_rows;
    std::vector<DesignColumn> m_columns;
    std::vector<std::string> m_texts;     // current texts, in cell order
    std::vector<std::string> m_original;  // texts as built, in cell order
    std::vector<CellShade> m_shades;
    int m_lastcell = 0;
    int m_firstRow = 0;
    int m_firstShownColumn = 0;
};

/// The column number a header names: "B" (either case, optional) and a whole number in
/// 1..32767, blanks around allowed; nullopt otherwise.
std::optional<int> columnNumber(std::string_view header);
/// The value of an entry: a decimal number (sign, digits with one point, exponent),
/// blanks around allowed; nullopt for an empty text, any other character, or overflow.
std::optional<double> entryValue(std::string_view text);
/// "B" and the decimal digits of a column number.
std::string headerText(int column);

}  // namespace tw
