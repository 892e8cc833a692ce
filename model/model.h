#pragma once
// The model held in memory: dimensions, the cell-to-parameter map of the parameter
// index matrices, per-cell labels and fixed values, the design matrix, the file state
// and the fixed-parameter list. A plain value type: readers build a new one aside and
// the caller swaps it in on success.
//
// Cell-indexed vectors run over 0..npar; index 0 is never used. Period-indexed
// vectors run over 0..nyrs.

#include <cstdint>
#include <string>
#include <vector>

#include "model/designmatrix.h"
#include "model/filehead.h"

namespace tw {

/// Special values of pim: 0, -1 and -2 are carried unchanged; any other negative
/// value marks a cell fixed at its initval.
inline bool isSpecialValue(int value) { return value == 0 || value == -1 || value == -2; }
inline bool isFixedMarker(int value) { return value < -2; }

/// The marker stored in pim for a cell fixed at its initval: kept when the cell was
/// already fixed (o < -2), -o when it held a parameter number above 2, -3 otherwise,
/// so that a marker never collides with a special value.
std::int16_t fixedMarker(std::int16_t old);

/// The labels of cells 0..size()-1, empty unless set. Texts are held only once a cell has
/// one: files in the PIM form carry none, and 32767 empty strings would cost a megabyte
/// and their construction on every read.
class CellLabels {
public:
    /// Cells 0..size-1, every label empty.
    void reset(std::size_t size);
    std::size_t size() const { return m_size; }
    /// The label of cell i; empty when none was set or i lies beyond size().
    const std::string& operator[](std::size_t i) const { return i < m_text.size() ? m_text[i] : none(); }
    /// Sets the label of cell i < size().
    void set(std::size_t i, std::string text);
    /// Every label, cells 0..size()-1.
    std::vector<std::string> all() const;

    bool operator==(const CellLabels& other) const;

private:
    static const std::string& none();

    std::size_t m_size = 0;
    std::vector<std::string> m_text;  // empty, or one per cell
};

struct Model {
    // Dimensions (whole numbers once read).
    int groups = 1;
    int nage = 1;
    int nstrat = 0;
    int nyrs = 0;
    int npar = 0;
    int nint = 0;     // nyrs - 1
    int nstrat2 = 0;  // nstrat squared
    int totsec = 0;   // cumsec(nyrs)

    std::vector<double> secpers;       // 0..nyrs
    std::vector<std::int16_t> cumsec;  // 0..nyrs

    std::vector<std::int16_t> pim;   // 0..npar
    int nparms = 0;
    int nconcells = 0;
    CellLabels labels;                // 0..npar
    std::vector<double> initval;      // 0..npar

    DesignMatrix dm;   // dm(r, c) and dmcolused(c)
    int ncols = 0;
    double dmrows = 0;
    int dmcols = 0;

    std::string infile;
    FileHead head;  // the head of infile as it was read, which the writers copy
    std::string proctest;
    std::string modelform;  // "pim", "constraints" or empty
    bool unsaved = false;  // changed since it was read or saved

    // The fixed-parameter list: fixing lines such as "S(12)=.5 /* phi */;", one entry each.
    std::vector<std::string> fixedlist;

    bool operator==(const Model&) const = default;

    /// Whether a reader has created the cell arrays.
    bool loaded() const { return !pim.empty(); }
    /// Records that the model changed after it was read or saved.
    void markChanged() { unsaved = true; }
};

inline constexpr const char* kDefaultProcTest = "PROC TEST AICSAVE=CORVANE.AIC;";

/// The model at start-up: groups = 1, nage = 1, nothing unsaved, everything else empty.
Model startupModel();

/// (Re)creates pim (pim(i) = i), initval (0) and labels (empty) over 0..npar.
void createCellArrays(Model& model);

/// Recomputes nint, nstrat2 (and nothing else) from the dimensions.
void computeDerivedSizes(Model& model);

// Cell numbering of the model files. g, a, s, s1, s2, t and k are 1-based.

/// Size of the survival and movement block: groups * nage * nstrat^2 * (nyrs - 1).
int survivalBlockSize(const Model& model);
/// Cell of the transition from s1 to s2 over interval t, age class a, group g
/// (survival when s1 == s2, movement otherwise).
int transitionCell(const Model& model, int g, int a, int t, int s1, int s2);
/// Open-capture cell of stratum s, age class a, interval t (no group dimension).
int openCaptureCell(const Model& model, int s, int a, int t);
/// Closed-capture cell of stratum s, age class a, primary period t, secondary period k.
int closedCaptureCell(const Model& model, int s, int a, int t, int k);
/// Sum of the three cell blocks: the npar a well-formed model states.
long expectedCellCount(const Model& model);

/// Largest positive pim value over cells 1..npar (0 when none).
int largestParameter(const Model& model);

}  // namespace tw
