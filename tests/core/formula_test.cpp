// The formula parser against R's rules for terms, and its errors with their columns.
#include "design/formula.h"

#include <gtest/gtest.h>

using namespace tw;

namespace {

std::vector<std::string> labels(const Formula& formula)
{
    std::vector<std::string> result;
    for (std::uint32_t term : formula.terms)
        result.push_back(termLabel(formula, term));
    return result;
}

TEST(FormulaTerms, expandLikeR)
{
    struct Case {
        const char* text;
        std::vector<std::string> terms;
        bool intercept;
    };
    const Case cases[] = {
        {"survival ~ time + stratum", {"time", "stratum"}, true},
        // Main effects come before interactions whatever the text's order; the
        // interaction's variables follow their first appearance (time before stratum).
        {"survival ~ time:stratum + stratum", {"stratum", "time:stratum"}, true},
        // ~ b + a:b names the term b:a: a variable's first appearance counts, even where it is removed.
        {"survival ~ age - stratum + time:stratum", {"age", "stratum:time"}, true},
        // (a+b)*(c+d) crosses each left term with each right one.
        {"survival ~ (time + stratum)*(age + group)",
         {"time", "stratum", "age", "group", "time:age", "time:group", "stratum:age", "stratum:group"},
         true},
        // a*b is a + b + a:b, so (a*b)*c is a, b, a:b, c, a:c, b:c, a:b:c, then ordered by degree.
        {"survival ~ age*stratum*time",
         {"age", "stratum", "time", "age:stratum", "age:time", "stratum:time", "age:stratum:time"},
         true},
        {"survival ~ time*stratum - time", {"stratum", "time:stratum"}, true},
        // Repeats collapse: a + a is a, a:a is a.
        {"survival ~ time + time + time:time", {"time"}, true},
        // A leading "-" removes from nothing.
        {"survival ~ -time + stratum", {"stratum"}, true},
        {"movement ~ -1 + stratum:tostratum", {"stratum:tostratum"}, false},
        // The last 1 or 0 counts; a 1 removed inside a removed part adds the intercept back.
        {"survival ~ 0 + time + 1", {"time"}, true},
        {"survival ~ time - (stratum - 1)", {"time"}, true},
        {"survival ~ 1", {}, true},
        // Blanks anywhere.
        {"  survival   ~\t( time :  stratum )  ", {"time:stratum"}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        const FormulaResult<Formula> formula = parseKindFormula(c.text);
        ASSERT_TRUE(formula.ok()) << formula.error().text();
        EXPECT_EQ(labels(formula.value()), c.terms);
        EXPECT_EQ(formula->intercept, c.intercept);
    }
}

TEST(FormulaErrors, nameTheColumnAndWhatIsWrong)
{
    const struct {
        const char* text;
        int column;
        const char* message;
    } cases[] = {
        {"movement ~ stratum:tosttratum", 20,
         "unknown variable \"tosttratum\" at column 20; movement cells have group, age, stratum, tostratum, time, "
         "Time, Age"},
        {"survival ~ time + session", 19,
         "variable \"session\" at column 19 belongs to closed cells; survival cells have group, age, stratum, time, "
         "Time, Age"},
        {"open ~ group", 8,
         "variable \"group\" at column 8 belongs to survival and movement cells; open cells have age, stratum, time, "
         "Time, Age"},
        {"closed ~ Time", 10,
         "variable \"Time\" at column 10 belongs to survival, movement and open cells; closed cells have age, "
         "stratum, session, occasion, Session, Occasion, Age"},
        {"survival ~ (time + stratum", 12, "\"(\" at column 12 is not closed"},
        {"survival ~ time + stratum)", 26, "\")\" at column 26 has no \"(\" to close"},
        {"survival time", 10, "\"~\" is missing at column 10: a formula reads \"survival ~ terms\""},
        {"survival ~ time +", 17, "a term is missing after \"+\" at column 17"},
        {"survival ~ ()", 13, "a term is missing before \")\" at column 13"},
        {"survival ~", 10, "empty formula: no term after \"~\" at column 10"},
        {"survivl ~ time", 1, "unknown kind \"survivl\" at column 1; the kinds are survival, movement, open, closed"},
        {"~ time", 1, "a kind is missing at column 1: a formula reads \"survival ~ terms\""},
        {"survival ~ time stratum", 17, "an operator is missing before \"stratum\" at column 17"},
        {"survival ~ 2 + time", 12, "number \"2\" at column 12 is no term: only 1 and 0 (the intercept) may stand as a term"},
        {"survival ~ time # x", 17, "unexpected character \"#\" at column 17"},
        {"survival ~ time ~ age", 17, "unexpected \"~\" at column 17"},
        // The first fault from the left is the one reported.
        {"survival ~ time + + * stratum # x", 21, "a term is missing before \"*\" at column 21"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const FormulaResult<Formula> formula = parseKindFormula(c.text);
        ASSERT_FALSE(formula.ok());
        EXPECT_EQ(formula.error().column, c.column);
        EXPECT_EQ(formula.error().message, c.message);
        EXPECT_EQ(formula.error().formula, c.text);
    }
}

TEST(FormulaErrors, deepNestingIsRefusedNotOverflowingTheStack)
{
    const std::string deep = "survival ~ " + std::string(100000, '(') + "time" + std::string(100000, ')');
    const FormulaResult<Formula> formula = parseKindFormula(deep);
    ASSERT_FALSE(formula.ok());
    EXPECT_EQ(formula.error().message, "\"(\" at column 112 nests parentheses more than 100 deep");
    // Signs in a row cost no depth; the binary "-" and 99999 signs turn the 1 an even
    // number of times, three "-" as one does.
    const std::string signs = "survival ~ time " + std::string(99999, '-') + "- 1";
    ASSERT_TRUE(parseKindFormula(signs).ok());
    EXPECT_TRUE(parseKindFormula(signs)->intercept);
    EXPECT_FALSE(parseKindFormula("survival ~ time - - - 1")->intercept);
}

TEST(FormulaErrors, caretLineStandsUnderTheColumnTabsKept)
{
    const FormulaResult<Formula> formula = parseKindFormula("survival ~\ttime + \xc3\xa9");
    ASSERT_FALSE(formula.ok());
    EXPECT_EQ(formula.error().message, "unexpected character \"\xc3\xa9\" at column 19");
    EXPECT_EQ(formula.error().caretLine(), "          \t       ^");
    EXPECT_EQ(formula.error().text(), "survival ~\ttime + \xc3\xa9\n          \t       ^\n" + formula.error().message);
    EXPECT_EQ(formula.error().kind, CellKind::Survival);
}

// The formulas window's fields hold a formula without its kind's name.
TEST(FormulaWindow, kindGivenByTheFieldAndColumnsCountedInItsText)
{
    const FormulaResult<Formula> formula = parseFormula(CellKind::Movement, "~ stratum:tostratum");
    ASSERT_TRUE(formula.ok());
    EXPECT_EQ(formula->kind, CellKind::Movement);
    EXPECT_EQ(formula->text, "~ stratum:tostratum");
    EXPECT_EQ(labels(formula.value()), (std::vector<std::string>{"stratum:tostratum"}));

    const FormulaResult<Formula> unknown = parseFormula(CellKind::Movement, "~ stratum:tosttratum");
    ASSERT_FALSE(unknown.ok());
    EXPECT_EQ(unknown.error().column, 11);
    const FormulaResult<Formula> noTilde = parseFormula(CellKind::Open, "time + stratum");
    ASSERT_FALSE(noTilde.ok());
    EXPECT_EQ(noTilde.error().text(), "time + stratum\n^\n\"~\" is missing at column 1: a formula reads \"~ terms\"");
}

TEST(FormulaList, oneFormulaPerKindAndErrorsCountColumnsInTheirOwnFormula)
{
    const FormulaResult<FormulaSet> set = parseFormulaList(" ; survival ~ time;; movement ~ -1 + stratum:tostratum ");
    ASSERT_TRUE(set.ok()) << set.error().text();
    EXPECT_TRUE(set.value()[CellKind::Survival].has_value());
    EXPECT_FALSE(set.value()[CellKind::Open].has_value());
    EXPECT_EQ(set.value()[CellKind::Movement]->text, "movement ~ -1 + stratum:tostratum");
    EXPECT_FALSE(set.value()[CellKind::Movement]->intercept);

    const FormulaResult<FormulaSet> wrong = parseFormulaList("survival ~ time + stratum; movement ~ stratum:tosttratum");
    ASSERT_FALSE(wrong.ok());
    EXPECT_EQ(wrong.error().formula, "movement ~ stratum:tosttratum");
    EXPECT_EQ(wrong.error().column, 20);
    EXPECT_EQ(wrong.error().kind, CellKind::Movement);

    const FormulaResult<FormulaSet> twice = parseFormulaList("survival ~ time;  survival ~ stratum");
    ASSERT_FALSE(twice.ok());
    EXPECT_EQ(twice.error().text(),
              "survival ~ stratum\n^\na second formula for survival at column 1; each kind takes one formula");
}

}  // namespace
