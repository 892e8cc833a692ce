#pragma once
// The PIM blocks of a model in the order a model file holds them: survival per group and
// stratum, movement per ordered pair of strata and then per group, open capture per
// stratum, closed capture per stratum. Each block is a table of age classes by columns
// (intervals; for closed capture the secondary periods of every primary period in turn)
// whose cells are listed age class by age class, as the file writes them.

#include <cstdint>
#include <string>
#include <vector>

#include "model/model.h"

namespace tw {

enum class BlockKind : std::uint8_t { Survival, Movement, OpenCapture, ClosedCapture };

struct PimBlock {
    BlockKind kind = BlockKind::Survival;
    int group = 0;  // 1-based for survival and movement, 0 for the capture blocks
    int from = 0;   // the stratum (of origin, for movement)
    int to = 0;     // the stratum of arrival, for movement; 0 otherwise
    int ages = 0;
    int columns = 0;
    std::vector<int> cells;  // ages * columns model cells; cell (a, j) at a * columns + j

    bool operator==(const PimBlock&) const = default;
};

/// Every block of the model in file order; none when the cells its dimensions give do
/// not all lie within 1..npar (no reader builds such a model).
std::vector<PimBlock> pimBlocks(const Model& model);

/// "Survival g1 s2", "Movement g2 1→3" (U+2192 in UTF-8), "Open capture s1",
/// "Closed capture s3".
std::string blockLabel(const PimBlock& block);

/// Whether a cell's number makes it estimated: a positive parameter number. Fixed cells
/// (fixed markers) and special values (0, -1, -2) are not.
inline bool isEstimated(std::int16_t value) { return value > 0; }

}  // namespace tw
