#pragma once
// The engine input file that the stand-in converter writes from the capture histories:
// the title and model statement the answers give, one cohort per group, age class,
// stratum and primary period of first capture with its histories, and the PIM form of
// the model in which every cell is its own parameter, with an identity design matrix.

#include <ostream>
#include <string>
#include <vector>

namespace tw::hadleck {

/// The answer file, as the converter understood it.
struct Answers {
    std::string infile;
    int strata = 0;
    int periods = 0;
    int ageClasses = 0;
    int groups = 0;
    std::string increments;
    std::string strataCodes;
    int strataColumn = 0;
    int fateColumn = 0;
    int ageColumn = 0;
    std::string ageCodes;
    std::string ageIncrements;
    int groupColumn = 0;
    std::string groupCodes;
    int frequencyStart = 0;
    int frequencyEnd = 0;
    bool sPsi = false;
    std::string subtracted;
    std::string title;
};

/// One record of the capture-history file that fits the answers.
struct Record {
    int group = 1;
    int age = 1;
    std::vector<int> strata;  // per occasion: the stratum caught in (1..), 0 when not caught
    double frequency = 1;
};

/// The number of secondary occasions of each primary period: an occasion whose time
/// increment is "1" opens a primary period, "0" goes on with the current one (the first
/// occasion always opens one). Empty when the codes are fewer than the occasions.
std::vector<int> primaryPeriods(const Answers& answers);

/// The cells of the full model of these answers and periods.
long cellCount(const Answers& answers, const std::vector<int>& periods);

/// Writes the engine input file, lines ending in CR LF, in the layout the program's own
/// PIM-form save gives, so that reading and saving it again keeps its bytes.
void writeEngineInput(std::ostream& out, const Answers& answers, const std::vector<int>& periods,
                      const std::vector<Record>& records);

}  // namespace tw::hadleck
