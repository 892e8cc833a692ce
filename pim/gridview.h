#pragma once
// The PIM views: which grid windows a view opens, how each window's grid is laid out
// and which model cell every grid cell shows. A view only reads the model.
//
// Grid cells are numbered in layout order: row after row, left to right in each row.
// Rows run over the age classes and, within each, over the strata (movement windows
// skip the stratum of origin). Columns run over the intervals, or for closed capture
// over the primary periods and, within each, its secondary occasions.

#include <string>
#include <vector>

#include "model/result.h"

namespace tw {

struct Model;

enum class ViewKind { Survival, OpenCapture, ClosedCapture, Movement };

/// One grid window of a view: its number, caption, grid geometry and cell map.
struct GridWindowLayout {
    ViewKind kind = ViewKind::Survival;
    int number = 0;  // window number k: group (0-based), movement group * nstrat + origin
    std::string caption;
    std::string description;  // what the window shows: "Movement from stratum A, group 1 — rows: …"
    int rowLength = 0;   // cells in one row
    int rowsPerAge = 0;  // rows in one age class
    int ageClasses = 0;
    std::vector<int> cellmap;              // model cell shown by each grid cell
    std::vector<std::string> builtTexts;   // the text of each grid cell when built (cellText)
    std::vector<std::string> rowHeaders;   // one per row
    std::vector<std::string> columnHeaders;  // one per column
    std::vector<std::string> columnDescriptions;  // longer form of each column header
    std::vector<char> periodEnds;          // per column: 1 after the last column of a primary period

    bool operator==(const GridWindowLayout&) const = default;

    int rowCount() const { return ageClasses * rowsPerAge; }
    int cellCount() const { return static_cast<int>(cellmap.size()); }
    /// Whether the row is the last row of an age class (a gap follows it).
    bool endsAgeClass(int row) const { return rowsPerAge > 0 && (row + 1) % rowsPerAge == 0; }
    /// Whether a primary-period gap follows the column (closed capture only).
    bool endsPeriod(int column) const
    {
        return column >= 0 && column < static_cast<int>(periodEnds.size()) && periodEnds[column] != 0;
    }
};

/// The windows a view opens, in building order. Survival and movement open one window
/// per group (movement: per group and stratum of origin); the capture blocks have no
/// group dimension, so those views open one window, captioned for group 1 with
/// " (all groups)" appended when the model has several groups. Fails when the model's
/// arrays do not hold a cell or period the dimensions call for.
Result<std::vector<GridWindowLayout>> buildView(const Model& model, ViewKind kind);

/// The caption of a view's window: "Survival - group 1", "movement B- . - group 2".
std::string windowCaption(ViewKind kind, int group, int origin = 0);

}  // namespace tw
