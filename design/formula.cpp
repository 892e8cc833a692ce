#include "design/formula.h"

#include <algorithm>
#include <bit>
#include <charconv>

#include "design/formulalexer.h"

namespace tw {

namespace {

using namespace formulatext;

std::string quoted(std::string_view text) { return "\"" + std::string(text) + "\""; }

using TermList = std::vector<std::uint32_t>;

// Parentheses nest at most this deep, so that no text can exhaust the stack.
constexpr int kMostNesting = 100;

void addTerm(TermList& terms, std::uint32_t term)
{
    if (term != 0 && std::find(terms.begin(), terms.end(), term) == terms.end())
        terms.push_back(term);
}

// Every term of left joined with every term of right, left outermost.
TermList interactions(const TermList& left, const TermList& right)
{
    TermList terms;
    for (std::uint32_t a : left)
        for (std::uint32_t b : right)
            addTerm(terms, a | b);
    return terms;
}

std::string kindsHaving(Variable variable)
{
    std::vector<std::string_view> names;
    for (CellKind kind : kAllKinds)
        if (kindHas(kind, variable))
            names.push_back(kindName(kind));
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0)
            text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

// A recursive-descent parser with R's precedence (unary minus above ":", ":" above "*",
// "*" above binary "+" and "-") that builds the term lists as R does: "+" appends,
// "-" deletes, ":" interacts, "*" appends both sides and their interactions, each
// dropping repeated terms. The intercept follows the last 1 or 0 met, a removed one
// counting the other way.
class Parser {
public:
    Parser(CellKind kind, std::string_view text, std::size_t start) : m_text(text), m_lexer(text, start)
    {
        m_formula.kind = kind;
        m_formula.text = std::string(text);
    }

    FormulaResult<Formula> parse(std::string_view shape);

private:
    bool failed() const { return m_error.has_value(); }
    void fail(std::size_t offset, std::string message);
    /// Fails with before + " at column N" + after, N the column of the lexeme.
    void failAt(const Lexeme& lexeme, const std::string& before, const std::string& after = {})
    {
        fail(lexeme.begin, before + " at column " + column(lexeme) + after);
    }
    std::string column(const Lexeme& lexeme) const { return std::to_string(columnAt(m_text, lexeme.begin)); }

    TermList sum();
    TermList product();
    TermList interaction();
    TermList unary();
    TermList primary();
    TermList variable(const Lexeme& name);
    void number(const Lexeme& number);
    void missingTerm(const Lexeme& found);
    void unexpected(const Lexeme& found, const Lexeme* open);

    std::string_view m_text;
    Lexer m_lexer;
    Formula m_formula;
    bool m_adding = true;  // false while reading what "-" removes
    int m_depth = 0;       // parentheses open
    std::optional<FormulaError> m_error;
};

void Parser::fail(std::size_t offset, std::string message)
{
    if (!m_error)
        m_error = FormulaError{m_formula.kind, m_formula.text, columnAt(m_text, offset), std::move(message)};
}

FormulaResult<Formula> Parser::parse(std::string_view shape)
{
    const Lexeme tilde = m_lexer.next();
    if (tilde.token != Token::Tilde) {
        failAt(tilde, "\"~\" is missing", ": a formula reads \"" + std::string(shape) + "\"");
        return *m_error;
    }
    m_formula.termsColumn = columnAt(m_text, tilde.begin + 1);
    if (m_lexer.peek().token == Token::End) {
        failAt(tilde, "empty formula: no term after \"~\"");
        return *m_error;
    }
    TermList terms = sum();
    if (!failed())
        unexpected(m_lexer.peek(), nullptr);
    if (failed())
        return *m_error;
    std::stable_sort(terms.begin(), terms.end(),
                     [](std::uint32_t a, std::uint32_t b) { return termDegree(a) < termDegree(b); });
    m_formula.terms = std::move(terms);
    return m_formula;
}

TermList Parser::sum()
{
    TermList terms = product();
    while (!failed()) {
        const Token op = m_lexer.peek().token;
        if (op != Token::Plus && op != Token::Minus)
            break;
        m_lexer.next();
        if (op == Token::Plus) {
            for (std::uint32_t term : product())
                addTerm(terms, term);
            continue;
        }
        m_adding = !m_adding;
        const TermList removed = product();
        m_adding = !m_adding;
        std::erase_if(terms, [&](std::uint32_t term) {
            return std::find(removed.begin(), removed.end(), term) != removed.end();
        });
    }
    return terms;
}

TermList Parser::product()
{
    TermList terms = interaction();
    while (!failed() && m_lexer.peek().token == Token::Star) {
        m_lexer.next();
        const TermList right = interaction();
        const TermList both = interactions(terms, right);
        for (std::uint32_t term : right)
            addTerm(terms, term);
        for (std::uint32_t term : both)
            addTerm(terms, term);
    }
    return terms;
}

TermList Parser::interaction()
{
    TermList terms = unary();
    while (!failed() && m_lexer.peek().token == Token::Colon) {
        m_lexer.next();
        terms = interactions(terms, unary());
    }
    return terms;
}

TermList Parser::unary()
{
    // Signs in a row: "+" changes nothing; "-" removes from nothing, so only its turning
    // of the 1 or 0 after it remains, once per "-".
    int minuses = 0;
    for (Token sign = m_lexer.peek().token; sign == Token::Plus || sign == Token::Minus; sign = m_lexer.peek().token) {
        m_lexer.next();
        minuses += sign == Token::Minus ? 1 : 0;
    }
    const bool turned = minuses % 2 == 1;
    m_adding = m_adding != turned;
    TermList terms = primary();
    m_adding = m_adding != turned;
    return minuses > 0 ? TermList{} : terms;
}

TermList Parser::primary()
{
    const Lexeme found = m_lexer.peek();
    switch (found.token) {
    case Token::Name:
        return variable(m_lexer.next());
    case Token::Number:
        number(m_lexer.next());
        return {};
    case Token::Open: {
        m_lexer.next();
        if (++m_depth > kMostNesting) {
            failAt(found, "\"(\"", " nests parentheses more than " + std::to_string(kMostNesting) + " deep");
            return {};
        }
        TermList terms = sum();
        --m_depth;
        if (!failed())
            unexpected(m_lexer.peek(), &found);
        if (!failed())
            m_lexer.next();
        return terms;
    }
    default:
        missingTerm(found);
        return {};
    }
}

TermList Parser::variable(const Lexeme& name)
{
    const CellKind kind = m_formula.kind;
    const std::string have = "; " + std::string(kindName(kind)) + " cells have " + kindVariableList(kind);
    const std::optional<Variable> found = variableNamed(name.text);
    if (!found) {
        failAt(name, "unknown variable " + quoted(name.text), have);
        return {};
    }
    if (!kindHas(kind, *found)) {
        failAt(name, "variable " + quoted(name.text), " belongs to " + kindsHaving(*found) + " cells" + have);
        return {};
    }
    auto& variables = m_formula.variables;
    const auto index = std::find(variables.begin(), variables.end(), *found) - variables.begin();
    if (index == static_cast<long>(variables.size()))
        variables.push_back(*found);
    return {std::uint32_t{1} << index};
}

void Parser::number(const Lexeme& number)
{
    double value = -1;
    const char* end = number.text.data() + number.text.size();
    const auto [stop, error] = std::from_chars(number.text.data(), end, value);
    if (error != std::errc() || stop != end || (value != 0 && value != 1)) {
        failAt(number, "number " + quoted(number.text),
               " is no term: only 1 and 0 (the intercept) may stand as a term");
        return;
    }
    m_formula.intercept = (value == 1) == m_adding;
}

void Parser::missingTerm(const Lexeme& found)
{
    if (found.token == Token::Other || found.token == Token::Tilde) {
        unexpected(found, nullptr);
        return;
    }
    const Lexeme& previous = m_lexer.last();
    if (found.token != Token::End)
        failAt(found, "a term is missing before " + quoted(found.text));
    else if (previous.token == Token::Tilde)
        failAt(previous, "empty formula: no term after \"~\"");
    else
        failAt(previous, "a term is missing after " + quoted(previous.text));
}

// What may follow a complete sum is its closing: the ")" of the open "(" inside
// parentheses, the end outside.
void Parser::unexpected(const Lexeme& found, const Lexeme* open)
{
    if (found.token == (open ? Token::Close : Token::End))
        return;
    switch (found.token) {
    case Token::Name:
    case Token::Number:
    case Token::Open:
        failAt(found, "an operator is missing before " + quoted(found.text));
        return;
    case Token::Close:
        failAt(found, "\")\"", " has no \"(\" to close");
        return;
    case Token::End:
        failAt(*open, "\"(\"", " is not closed");
        return;
    case Token::Other:
        failAt(found, "unexpected character " + quoted(found.text));
        return;
    default:
        failAt(found, "unexpected " + quoted(found.text));
        return;
    }
}

std::string trimmed(std::string_view text)
{
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string_view::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t");
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string FormulaError::caretLine() const
{
    if (column <= 0)
        return {};
    std::string line;
    int at = 1;
    for (std::size_t i = 0; i < formula.size() && at < column; ++i) {
        if (continuesUtf8(formula[i]))
            continue;
        line += formula[i] == '\t' ? '\t' : ' ';
        ++at;
    }
    line.append(static_cast<std::size_t>(column - at), ' ');
    return line + "^";
}

std::string FormulaError::text() const
{
    std::string text = formula.empty() ? std::string() : formula + "\n";
    if (column > 0)
        text += caretLine() + "\n";
    return text + message;
}

int termDegree(std::uint32_t term) { return std::popcount(term); }

std::string termLabel(const Formula& formula, std::uint32_t term)
{
    std::string label;
    for (std::size_t i = 0; i < formula.variables.size(); ++i) {
        if ((term >> i & 1U) == 0)
            continue;
        if (!label.empty())
            label += ':';
        label += variableName(formula.variables[i]);
    }
    return label;
}

FormulaResult<Formula> parseFormula(CellKind kind, std::string_view text)
{
    return Parser(kind, text, 0).parse("~ terms");
}

FormulaResult<Formula> parseKindFormula(std::string_view text)
{
    Lexer lexer(text, 0);
    const Lexeme name = lexer.next();
    const std::string formula(text);
    const std::string at = " at column " + std::to_string(columnAt(text, name.begin));
    if (name.token != Token::Name)
        return FormulaError{std::nullopt, formula, columnAt(text, name.begin),
                            "a kind is missing" + at + ": a formula reads \"survival ~ terms\""};
    const std::optional<CellKind> kind = kindNamed(name.text);
    if (!kind)
        return FormulaError{std::nullopt, formula, columnAt(text, name.begin),
                            "unknown kind " + quoted(name.text) + at
                                + "; the kinds are survival, movement, open, closed"};
    return Parser(*kind, text, name.begin + name.text.size()).parse(std::string(name.text) + " ~ terms");
}

FormulaResult<FormulaSet> parseFormulaList(std::string_view text)
{
    FormulaSet set;
    std::size_t start = 0;
    while (start <= text.size()) {
        const std::size_t end = std::min(text.find(';', start), text.size());
        const std::string piece = trimmed(text.substr(start, end - start));
        start = end + 1;
        if (piece.empty())
            continue;
        FormulaResult<Formula> formula = parseKindFormula(piece);
        if (!formula)
            return formula.error();
        const CellKind kind = formula.value().kind;
        if (set[kind])
            return FormulaError{kind, piece, 1,
                                "a second formula for " + std::string(kindName(kind))
                                    + " at column 1; each kind takes one formula"};
        set[kind] = std::move(formula.value());
    }
    return set;
}

}  // namespace tw
