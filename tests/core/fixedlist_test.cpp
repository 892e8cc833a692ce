// The fixed-parameter list editor: the entry the edit field is bound to, typing, Done, undo.
#include "session/fixedlist.h"

#include <gtest/gtest.h>

#include <random>
#include <sstream>

using namespace tw;

namespace {

// Runs one step of an editor script: "show", "bind N", "type TEXT", "done", "replace" (the
// program puts "S(2)=.1;" first, as a read might).
void step(FixedList& list, const std::string& line)
{
    std::istringstream words(line);
    std::string word, rest;
    words >> word;
    std::getline(words >> std::ws, rest);
    if (word == "show")
        list.show();
    else if (word == "bind")
        list.bind(std::stoi(rest));
    else if (word == "type")
        list.type(list.field() + rest);
    else if (word == "done")
        list.done();
    else if (word == "replace") {
        std::vector<std::string> entries = list.entries();
        entries.insert(entries.begin(), "S(2)=.1;");
        list.replaceEntries(entries);
    } else
        FAIL() << "unknown step " << line;
}

TEST(FixedListEditor, typingChangesOnlyTheEntryTheFieldIsBoundTo)
{
    struct Case {
        const char* name;
        std::vector<std::string> script;
        std::vector<std::string> entries;
        std::string field;
    };
    const std::vector<std::string> three = {"S(3)=.5;", "S(4)=.6;", "S(5)=.7;"};
    const std::vector<Case> cases = {
        {"typing while unbound changes no entry", {"type x"}, three, "x"},
        {"Fixed parms shows entry 0 but unbinds", {"bind 2", "show", "type x"}, three, "S(3)=.5;x"},
        {"Modify without a selection unbinds and keeps the field", {"bind 1", "bind -1", "type x"}, three,
         "S(4)=.6;x"},
        {"Modify binds: typing changes that entry", {"bind 2", "type 5"}, {"S(3)=.5;", "S(4)=.6;", "S(5)=.7;5"},
         "S(5)=.7;5"},
        {"a change by the program unbinds", {"bind 1", "replace", "type x"},
         {"S(2)=.1;", "S(3)=.5;", "S(4)=.6;", "S(5)=.7;"}, "S(4)=.6;x"},
        {"Done unbinds", {"bind 0", "done", "type x"}, three, "S(3)=.5;x"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FixedList list(three);
        for (const std::string& line : c.script)
            step(list, line);
        EXPECT_EQ(list.entries(), c.entries);
        EXPECT_EQ(list.field(), c.field);
    }
}

// Any two lists: the change between them, applied forwards and backwards, gives each.
TEST(FixedListEditor, listChangeTakesEitherListToTheOther)
{
    std::mt19937 random(7);
    auto randomList = [&random] {
        std::vector<std::string> entries(random() % 6);
        for (std::string& entry : entries)
            entry = std::string(1, static_cast<char>('a' + random() % 3));
        return entries;
    };
    for (int round = 0; round < 500; ++round) {
        const std::vector<std::string> before = randomList();
        const std::vector<std::string> after = randomList();
        const ListChange change = listChange(before, after);
        std::vector<std::string> entries = before;
        applyListChange(entries, change, ChangeSide::After);
        ASSERT_EQ(entries, after);
        applyListChange(entries, change, ChangeSide::Before);
        ASSERT_EQ(entries, before);
        EXPECT_LE(change.before.size() + change.after.size(), before.size() + after.size());
    }
}

}  // namespace
