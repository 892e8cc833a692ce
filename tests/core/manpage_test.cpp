// The man pages written from the Markdown manuals.
#include <gtest/gtest.h>

#include "buildinfo.h"
#include "cli/steps.h"
#include "packaging/manpage/markdownman.h"
#include "support.h"

using namespace twtest;

namespace {

const std::string kHead = ".TH X 1 \"\" \"Tallowick2 9.9\" \"User Commands\"\n.nh\n";

std::string manOf(const std::string& markdown)
{
    auto page = tw::manpage::markdownToMan("# x\n\n" + markdown, "9.9");
    EXPECT_TRUE(page.ok()) << page.error().text();
    if (!page)
        return {};
    EXPECT_EQ(page->rfind(kHead, 0), 0u) << *page;
    return page->substr(kHead.size());
}

TEST(ManPageConversion, keepsTheText)
{
    const struct {
        const char* fault;
        const char* markdown;
        const char* roff;
    } cases[] = {
        {"a backslash would start a roff escape", "C:\\Tools", ".PP\nC:\\eTools\n"},
        {"an option term: the option bold, its operand italic",
         "`--read-pims FILE`\n:   Reads FILE\n    as the menu does.",
         ".TP\n\\fB\\-\\-read\\-pims\\fR \\fIFILE\\fR\nReads FILE as the menu does.\n"},
        {"a plain term", "0\n:   Every step was done.", ".TP\n0\nEvery step was done.\n"},
        {"an indented paragraph after a definition continues it, it is no code",
         "`--x`\n:   One.\n\n    Two.", ".TP\n\\fB\\-\\-x\\fR\nOne.\n.IP\nTwo.\n"},
        {"a code block keeps its lines, blank ones too; a leading dot would be a roff request", "Run:\n\n    a --b\n\n    .c\n\nDone.",
         ".PP\nRun:\n.PP\n.RS 4\n.nf\na \\-\\-b\n.sp\n\\&.c\n.fi\n.RE\n.PP\nDone.\n"},
        {"list items keep their continuation lines", "- one\n  more\n- two",
         ".IP \\(bu 2\none more\n.IP \\(bu 2\ntwo\n"},
        {"the NAME line is what whatis reads", "## NAME\n\nx \u2014 does `y`",
         ".SH NAME\n.PP\nx \\- does \\fBy\\fR\n"},
        {"characters beyond ASCII are named, whatever man's encoding",
         "*File \u25b8 Set location\u2026*, \u22121",
         ".PP\n\\fIFile \\[u25B8] Set location\\[u2026]\\fR, \\[u2212]1\n"},
        {"a star that opens no emphasis stays a star", "a * b, `*.*` and **bold**",
         ".PP\na * b, \\fB*.*\\fR and \\fBbold\\fR\n"},
        {"subsections", "### Steps", ".SS Steps\n"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(manOf(c.markdown), c.roff) << c.fault;
}

TEST(ManPage, markupThatWouldBeLostFailsWithItsLine)
{
    const struct {
        const char* markdown;
        const char* message;
    } cases[] = {
        {"no title", "line 1: the manual must start with \"# \" and the program's name"},
        {"# x\n\nsome `code\nacross", "line 3: a ` opens code that no ` closes"},
        {"# x\n\n| a | b |", "line 3: markup the man page does not know: | a | b |"},
        {"# x\n\n1. first", "line 3: markup the man page does not know: 1. first"},
        {"# x\n\n`--x`\n:   a `b", "line 4: a ` opens code that no ` closes"},
    };
    for (const auto& each : cases) {
        const auto page = tw::manpage::markdownToMan(each.markdown, "1");
        ASSERT_FALSE(page.ok()) << each.markdown;
        EXPECT_EQ(page.error().text(), each.message);
    }
}

fs::path docsDir() { return fs::path(TW_TEST_DATA) / ".." / ".." / "docs"; }

// A step added to the command line but not to docs/cli.md would be missing from its man page.
TEST(CliManual, everyStepAndOptionHasItsEntry)
{
    const std::string manual = fileText(docsDir() / "cli.md");
    std::vector<std::string> options{"--help", "--version"};
    for (const auto& kind : tw::cli::stepKinds())
        options.emplace_back(kind.option);
    for (const std::string& option : options)
        EXPECT_NE(manual.find("\n`" + option), std::string::npos) << option << " has no entry in docs/cli.md";
}

}  // namespace
