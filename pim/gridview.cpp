#include "pim/gridview.h"

#include <algorithm>

#include "model/model.h"
#include "pim/gridentry.h"

namespace tw {

namespace {

char stratumLetter(int stratum)
{
    return static_cast<char>(64 + stratum);
}

int occasionsOf(const Model& model, int period)
{
    return std::max(static_cast<int>(model.secpers[period]), 0);
}

// Collects the cells of one window row by row; checks that every cell lies in pim.
class WindowBuilder {
public:
    WindowBuilder(const Model& model, GridWindowLayout& window) : m_model(model), m_window(window) {}

    void addCell(int cell)
    {
        if (cell < 1 || cell >= static_cast<int>(m_model.pim.size())) {
            if (m_badCell == 0)
                m_badCell = cell;
            m_window.cellmap.push_back(cell);
            m_window.builtTexts.push_back("0");
            return;
        }
        m_window.cellmap.push_back(cell);
        m_window.builtTexts.push_back(cellText(m_model, cell));
    }

    Status status() const
    {
        if (m_badCell == 0)
            return {};
        return makeError("The view needs cell " + std::to_string(m_badCell) + ", but the model has only "
                         + std::to_string(std::max(static_cast<int>(m_model.pim.size()) - 1, 0))
                         + " cells (NPAR).");
    }

private:
    const Model& m_model;
    GridWindowLayout& m_window;
    int m_badCell = 0;
};

void addIntervalColumns(const Model& model, GridWindowLayout& window)
{
    for (int t = 1; t <= model.nint; ++t) {
        window.columnHeaders.push_back(std::to_string(t) + "-" + std::to_string(t + 1));
        window.columnDescriptions.push_back("interval " + std::to_string(t) + ", from primary period "
                                            + std::to_string(t) + " to " + std::to_string(t + 1));
        window.periodEnds.push_back(0);
    }
}

void addOccasionColumns(const Model& model, GridWindowLayout& window)
{
    for (int p = 1; p <= model.nyrs; ++p) {
        const int occasions = occasionsOf(model, p);
        for (int j = 1; j <= occasions; ++j) {
            window.columnHeaders.push_back(std::to_string(p) + "." + std::to_string(j));
            window.columnDescriptions.push_back("primary period " + std::to_string(p) + ", occasion "
                                                + std::to_string(j));
            window.periodEnds.push_back(j == occasions ? 1 : 0);
        }
    }
}

std::string rowHeader(int age, int stratum)
{
    return "Age " + std::to_string(age) + ", stratum " + std::to_string(stratum);
}

GridWindowLayout emptyWindow(const Model& model, ViewKind kind, int number, std::string caption)
{
    GridWindowLayout window;
    window.kind = kind;
    window.number = number;
    window.caption = std::move(caption);
    window.ageClasses = model.nage;
    window.rowsPerAge = kind == ViewKind::Movement ? std::max(model.nstrat - 1, 0) : model.nstrat;
    if (kind == ViewKind::ClosedCapture)
        addOccasionColumns(model, window);
    else
        addIntervalColumns(model, window);
    window.rowLength = static_cast<int>(window.columnHeaders.size());
    const auto cells = static_cast<std::size_t>(window.rowCount()) * static_cast<std::size_t>(window.rowLength);
    window.cellmap.reserve(cells);
    window.builtTexts.reserve(cells);
    return window;
}

Status buildSurvival(const Model& model, int group, GridWindowLayout& window)
{
    WindowBuilder builder(model, window);
    for (int a = 1; a <= model.nage; ++a)
        for (int s = 1; s <= model.nstrat; ++s) {
            window.rowHeaders.push_back(rowHeader(a, s));
            for (int t = 1; t <= model.nint; ++t)
                builder.addCell(transitionCell(model, group, a, t, s, s));
        }
    return builder.status();
}

Status buildMovement(const Model& model, int group, int origin, GridWindowLayout& window)
{
    WindowBuilder builder(model, window);
    for (int a = 1; a <= model.nage; ++a)
        for (int s = 1; s <= model.nstrat; ++s) {
            if (s == origin)
                continue;
            window.rowHeaders.push_back("Age " + std::to_string(a) + ", to " + stratumLetter(s));
            for (int t = 1; t <= model.nint; ++t)
                builder.addCell(transitionCell(model, group, a, t, origin, s));
        }
    return builder.status();
}

Status buildOpenCapture(const Model& model, GridWindowLayout& window)
{
    WindowBuilder builder(model, window);
    for (int a = 1; a <= model.nage; ++a)
        for (int s = 1; s <= model.nstrat; ++s) {
            window.rowHeaders.push_back(rowHeader(a, s));
            for (int t = 1; t <= model.nint; ++t)
                builder.addCell(openCaptureCell(model, s, a, t));
        }
    return builder.status();
}

Status buildClosedCapture(const Model& model, GridWindowLayout& window)
{
    WindowBuilder builder(model, window);
    for (int a = 1; a <= model.nage; ++a)
        for (int s = 1; s <= model.nstrat; ++s) {
            window.rowHeaders.push_back(rowHeader(a, s));
            for (int p = 1; p <= model.nyrs; ++p)
                for (int j = 1; j <= occasionsOf(model, p); ++j)
                    builder.addCell(closedCaptureCell(model, s, a, p, j));
        }
    return builder.status();
}

// One line naming what a window shows: the probabilities, whose they are, and what its
// rows and columns run over.
std::string describe(const Model& model, ViewKind kind, int group, int origin)
{
    const std::string whose = model.groups > 1 && (kind == ViewKind::OpenCapture || kind == ViewKind::ClosedCapture)
        ? "all groups"
        : "group " + std::to_string(group);
    const std::string rows = " — rows: age class and stratum";
    switch (kind) {
    case ViewKind::Survival:
        return "Survival, " + whose + rows + "; columns: intervals";
    case ViewKind::OpenCapture:
        return "Open capture, " + whose + rows + "; columns: intervals";
    case ViewKind::ClosedCapture:
        return "Closed capture, " + whose + rows + "; columns: primary periods and their secondary occasions";
    case ViewKind::Movement:
        return std::string("Movement from stratum ") + stratumLetter(origin) + ", " + whose + rows
            + " of arrival; columns: intervals";
    }
    return {};
}

Status checkPeriods(const Model& model, ViewKind kind)
{
    if (kind != ViewKind::ClosedCapture)
        return {};
    const auto needed = static_cast<std::size_t>(std::max(model.nyrs, 0)) + 1;
    if (model.nyrs > 0 && (model.secpers.size() < needed || model.cumsec.size() < needed))
        return makeError("The model lists the secondary periods of fewer than " + std::to_string(model.nyrs)
                         + " primary periods (SECPERS).");
    return {};
}

}  // namespace

std::string windowCaption(ViewKind kind, int group, int origin)
{
    const std::string number = std::to_string(group);
    switch (kind) {
    case ViewKind::Survival:
        return "Survival - group " + number;
    case ViewKind::OpenCapture:
        return "Open capture probabilities - group " + number;
    case ViewKind::ClosedCapture:
        return "Closed capture probabilities - group " + number;
    case ViewKind::Movement:
        return std::string("movement ") + stratumLetter(origin) + "- . - group " + number;
    }
    return {};
}

Result<std::vector<GridWindowLayout>> buildView(const Model& model, ViewKind kind)
{
    TW_TRY(checkPeriods(model, kind));
    std::vector<GridWindowLayout> windows;
    if (kind == ViewKind::OpenCapture || kind == ViewKind::ClosedCapture) {
        std::string caption = windowCaption(kind, 1);
        if (model.groups > 1)
            caption += " (all groups)";
        GridWindowLayout window = emptyWindow(model, kind, 0, std::move(caption));
        window.description = describe(model, kind, 1, 0);
        TW_TRY(kind == ViewKind::OpenCapture ? buildOpenCapture(model, window) : buildClosedCapture(model, window));
        windows.push_back(std::move(window));
        return windows;
    }
    for (int g = 1; g <= model.groups; ++g) {
        if (kind == ViewKind::Survival) {
            GridWindowLayout window = emptyWindow(model, kind, g - 1, windowCaption(kind, g));
            window.description = describe(model, kind, g, 0);
            TW_TRY(buildSurvival(model, g, window));
            windows.push_back(std::move(window));
            continue;
        }
        for (int r = 1; r <= model.nstrat; ++r) {
            GridWindowLayout window = emptyWindow(model, kind, (g - 1) * model.nstrat + r - 1, windowCaption(kind, g, r));
            window.description = describe(model, kind, g, r);
            TW_TRY(buildMovement(model, g, r, window));
            windows.push_back(std::move(window));
        }
    }
    return windows;
}

}  // namespace tw
