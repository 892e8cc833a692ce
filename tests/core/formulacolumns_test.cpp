// The column builder against R's model.matrix with treatment contrasts, the expected
// matrices worked out by hand from R's documented rules (the comments say which rule).
#include "design/formulacolumns.h"

#include <gtest/gtest.h>

#include <initializer_list>

using namespace tw;

namespace {

using Matrix = std::vector<std::vector<double>>;

// Rows of design data of one kind: each row gives the listed factors their levels.
std::vector<CellDesign> frame(CellKind kind, std::initializer_list<Variable> factors,
                              std::initializer_list<std::initializer_list<int>> rows)
{
    std::vector<CellDesign> data;
    for (const auto& values : rows) {
        CellDesign row;
        row.kind = kind;
        auto value = values.begin();
        for (Variable factor : factors)
            row.set(factor, *value++);
        data.push_back(row);
    }
    return data;
}

Matrix dense(const FormulaColumns& columns)
{
    Matrix matrix;
    for (int r = 0; r < columns.rows.rowCount(); ++r) {
        std::vector<double> row(columns.names.size(), 0);
        for (const SparseEntry& entry : columns.rows.row(r))
            row[static_cast<std::size_t>(entry.column)] = entry.value;
        matrix.push_back(row);
    }
    return matrix;
}

FormulaColumns columnsOf(const char* text, const std::vector<CellDesign>& data)
{
    const FormulaResult<Formula> formula = parseKindFormula(text);
    EXPECT_TRUE(formula.ok()) << formula.error().text();
    return buildColumns(formula.value(), data);
}

using V = Variable;

// Two strata by three times, stratum varying fastest; one age class.
std::vector<CellDesign> strataByTimes()
{
    return frame(CellKind::Survival, {V::Stratum, V::Time, V::Age},
                 {{1, 1, 1}, {2, 1, 1}, {1, 2, 1}, {2, 2, 1}, {1, 3, 1}, {2, 3, 1}});
}

struct MatrixCase {
    const char* formula;
    std::vector<CellDesign> data;
    std::vector<std::string> names;
    Matrix matrix;
};

void expectCases(const std::vector<MatrixCase>& cases)
{
    for (const MatrixCase& c : cases) {
        SCOPED_TRACE(c.formula);
        const FormulaColumns columns = columnsOf(c.formula, c.data);
        EXPECT_EQ(columns.names, c.names);
        EXPECT_EQ(dense(columns), c.matrix);
    }
}

TEST(FormulaColumns, treatmentContrastsWhenTheRestIsEarlier)
{
    expectCases({
        // time:stratum without time: for time the rest is stratum, an earlier term, so
        // contrasts; for stratum the rest is time, in no earlier term, so indicators.
        // R's nested coding: time2:stratum1, time3:stratum1, time2:stratum2, time3:stratum2.
        {"survival ~ time*stratum - time", strataByTimes(),
         {"(Intercept)", "stratum2", "time2:stratum1", "time3:stratum1", "time2:stratum2", "time3:stratum2"},
         {{1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0},
          {1, 1, 0, 0, 1, 0}, {1, 0, 0, 1, 0, 0}, {1, 1, 0, 0, 0, 1}}},
        // ~ b + a:b: the term is stratum:time (stratum appeared first); stratum's rest
        // (time) is in no earlier term: indicators, varying fastest; time's rest is the
        // earlier term stratum: contrasts.
        {"survival ~ stratum + time:stratum", strataByTimes(),
         {"(Intercept)", "stratum2", "stratum1:time2", "stratum2:time2", "stratum1:time3", "stratum2:time3"},
         {{1, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0},
          {1, 1, 0, 1, 0, 0}, {1, 0, 0, 0, 1, 0}, {1, 1, 0, 0, 0, 1}}},
    });
}

TEST(FormulaColumns, interactionFirstVariableFastest)
{
    // Three times by three strata, time fastest in the data. The interaction's columns
    // run time2:stratum2, time3:stratum2, time2:stratum3, time3:stratum3.
    const auto data = frame(CellKind::Open, {V::Time, V::Stratum},
                            {{1, 1}, {2, 1}, {3, 1}, {1, 2}, {2, 2}, {3, 2}, {1, 3}, {2, 3}, {3, 3}});
    expectCases({
        {"open ~ time*stratum", data,
         {"(Intercept)", "time2", "time3", "stratum2", "stratum3", "time2:stratum2", "time3:stratum2",
          "time2:stratum3", "time3:stratum3"},
         {{1, 0, 0, 0, 0, 0, 0, 0, 0}, {1, 1, 0, 0, 0, 0, 0, 0, 0}, {1, 0, 1, 0, 0, 0, 0, 0, 0},
          {1, 0, 0, 1, 0, 0, 0, 0, 0}, {1, 1, 0, 1, 0, 1, 0, 0, 0}, {1, 0, 1, 1, 0, 0, 1, 0, 0},
          {1, 0, 0, 0, 1, 0, 0, 0, 0}, {1, 1, 0, 0, 1, 0, 0, 1, 0}, {1, 0, 1, 0, 1, 0, 0, 0, 1}}},
    });
}

TEST(FormulaColumns, noInterceptFirstFactorTakesIndicators)
{
    expectCases({
        // -1 with two factors: stratum (first factor of the first term) by indicators,
        // time still by contrasts.
        {"survival ~ -1 + stratum + time", strataByTimes(),
         {"stratum1", "stratum2", "time2", "time3"},
         {{1, 0, 0, 0}, {0, 1, 0, 0}, {1, 0, 1, 0}, {0, 1, 1, 0}, {1, 0, 0, 1}, {0, 1, 0, 1}}},
        // The numeric Time comes first but is no factor: stratum is the first factor.
        {"survival ~ 0 + Time + stratum", strataByTimes(),
         {"Time", "stratum1", "stratum2"},
         {{0, 1, 0}, {0, 0, 1}, {1, 1, 0}, {1, 0, 1}, {2, 1, 0}, {2, 0, 1}}},
    });
}

TEST(FormulaColumns, columnsZeroOnEveryRowAreDropped)
{
    // Movement over three strata: no row has stratum = tostratum, so stratum1:tostratum1,
    // stratum2:tostratum2 and stratum3:tostratum3 are dropped from the nine indicator
    // products (stratum fastest).
    const auto data = frame(CellKind::Movement, {V::Stratum, V::ToStratum},
                            {{1, 2}, {1, 3}, {2, 1}, {2, 3}, {3, 1}, {3, 2}});
    expectCases({
        {"movement ~ -1 + stratum:tostratum", data,
         {"stratum2:tostratum1", "stratum3:tostratum1", "stratum1:tostratum2", "stratum3:tostratum2",
          "stratum1:tostratum3", "stratum2:tostratum3"},
         {{0, 0, 1, 0, 0, 0}, {0, 0, 0, 0, 1, 0}, {1, 0, 0, 0, 0, 0},
          {0, 0, 0, 0, 0, 1}, {0, 1, 0, 0, 0, 0}, {0, 0, 0, 1, 0, 0}}},
    });
}

TEST(FormulaColumns, numericTerms)
{
    expectCases({
        // Time = time - 1; without Time before it stratum takes indicators: a slope per stratum.
        {"survival ~ Time:stratum", strataByTimes(),
         {"(Intercept)", "Time:stratum1", "Time:stratum2"},
         {{1, 0, 0}, {1, 0, 0}, {1, 1, 0}, {1, 0, 1}, {1, 2, 0}, {1, 0, 2}}},
    });
}

TEST(FormulaColumns, levelsAreTheValuesTheRowsTake)
{
    // Times 2 and 4 only: the baseline is time2 and the one contrast column time4.
    const auto data = frame(CellKind::Survival, {V::Time}, {{4}, {2}, {4}});
    expectCases({{"survival ~ time", data, {"(Intercept)", "time4"}, {{1, 1}, {1, 0}, {1, 1}}}});
    // A factor of one level has no contrast column, and one indicator without the intercept.
    const auto one = frame(CellKind::Survival, {V::Age, V::Time}, {{1, 1}, {1, 2}});
    expectCases({{"survival ~ age + time", one, {"(Intercept)", "time2"}, {{1, 0}, {1, 1}}},
                 {"survival ~ 0 + age + time", one, {"age1", "time2"}, {{1, 0}, {1, 1}}}});
    EXPECT_TRUE(columnsOf("survival ~ time", {}).names.empty());
}

}  // namespace
