#include "app/task_list.h"
#include "platform/text.h"

#include <gtest/gtest.h>

#include <algorithm>

using quellary::readDataItems;
using quellary::readTaskList;

namespace {

using Entries = std::vector<std::string>;

struct ReaderCase {
    const char* name;
    std::string text;
    Entries entries;
};

class TaskListReader : public testing::TestWithParam<ReaderCase> {};

TEST_P(TaskListReader, ListsEveryItemBetweenHeaderAndLast) {
    const ReaderCase& c = GetParam();
    EXPECT_EQ(readTaskList(c.text).entries, c.entries);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, TaskListReader,
    testing::Values(
        ReaderCase{"HeaderAndTwoNames", "[Corvana Task List]\r\na.exe\r\nb.exe\r\n", {"a.exe"}},
        ReaderCase{"HeaderAndOneName", "[Corvana Task List]\r\na.exe\r\n", {}},
        ReaderCase{"LastLineWithoutBreakIsDropped", "[H]\r\na.exe\r\nb.exe\r\nc.exe", {"a.exe", "b.exe"}},
        ReaderCase{"EmptyLastLineListsTheLastName", "[H]\r\na.exe\r\nb.exe\r\n\r\n", {"a.exe", "b.exe"}},
        ReaderCase{"CommaGivesTwoEntries", "[H]\r\na.exe,b.exe\r\nlast\r\n", {"a.exe", "b.exe"}},
        ReaderCase{"CommaOnLastLineListsOnlyFirst", "[H]\r\na.exe\r\nb.exe,c.exe\r\n", {"a.exe", "b.exe"}},
        ReaderCase{"QuotesAreRemoved", "[H]\r\n\"a b.exe\"\r\nlast\r\n", {"a b.exe"}},
        ReaderCase{"CommaInsideQuotesBelongsToTheName", "[H]\r\n\"a,b.exe\",c\r\nlast\r\n", {"a,b.exe", "c"}},
        ReaderCase{"EmptyLineGivesEmptyEntry", "[H]\r\na.exe\r\n\r\nb.exe\r\nlast\r\n", {"a.exe", "", "b.exe"}},
        ReaderCase{"CaseAndBlanksKept", "[H]\r\n  CVTRAY.Exe \r\nlast\r\n", {"  CVTRAY.Exe "}},
        ReaderCase{"DuplicatesKept", "[H]\r\na\r\na\r\nlast\r\n", {"a", "a"}},
        ReaderCase{"HeaderCommaSplits", "[Corvana, Task List]\r\na\r\nlast\r\n", {" Task List]", "a"}},
        ReaderCase{"NoHeaderLosesFirstName", "a.exe\r\nb.exe\r\nc.exe\r\n", {"b.exe"}},
        ReaderCase{"BareLineFeeds", "[H]\na\nb\nlast\n", {"a", "b"}},
        ReaderCase{"TrailingCommaOpensEmptyItem", "[H]\r\na,\r\nlast\r\n", {"a", ""}},
        ReaderCase{"TrailingCommaOnLastLineListsItsName", "[H]\r\na\r\nb,\r\n", {"a", "b"}},
        ReaderCase{"CommaEndingTheFileOpensNoItem", "[H]\r\na\r\nb,", {"a"}}),
    [](const testing::TestParamInfo<ReaderCase>& info) { return std::string(info.param.name); });

TEST(TaskListReaderCounts, CountsHeaderAndLastItem) {
    EXPECT_EQ(readTaskList("").itemCount, 0u);
    EXPECT_EQ(readTaskList("[H]\r\n").itemCount, 1u);
    EXPECT_EQ(readTaskList("[H]\r\na\r\n").itemCount, 2u);
    EXPECT_EQ(readTaskList("[H]\r\na\r\nb").itemCount, 3u);
    EXPECT_EQ(readTaskList("[H]\r\na,").itemCount, 2u);
    EXPECT_TRUE(readTaskList("[H]").entries.empty());
}

TEST(TaskListReaderItems, UnclosedQuoteRunsToTheEnd) {
    EXPECT_EQ(readDataItems("\"abc\r\ndef"), (Entries{"abc\r\ndef"}));
    EXPECT_EQ(readDataItems("\"ab\"junk,c"), (Entries{"ab", "c"}));
}

TEST(DefaultTaskList, HasThirtyLinesInTheRightShape) {
    const std::string text = quellary::defaultTaskListText();
    ASSERT_GE(text.size(), 2u);
    EXPECT_EQ(text.substr(text.size() - 2), "\r\n");
    Entries lines;
    std::size_t start = 0;
    while (start < text.size()) {
        const std::size_t end = text.find("\r\n", start);
        ASSERT_NE(end, std::string::npos);
        lines.push_back(text.substr(start, end - start));
        start = end + 2;
    }
    ASSERT_EQ(lines.size(), 30u);
    EXPECT_EQ(lines[0], "[Corvana Task List]");
    EXPECT_EQ(text.find('\n'), text.find("\r\n") + 1) << "every line break is CR LF";
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), std::count(text.begin(), text.end(), '\r'));

    const Entries names(lines.begin() + 1, lines.begin() + 28);
    EXPECT_TRUE(std::is_sorted(names.begin(), names.end()));
    EXPECT_EQ(std::adjacent_find(names.begin(), names.end()), names.end()) << "no duplicates";
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        ASSERT_GT(name.size(), 4u);
        const std::string base = name.substr(0, name.size() - 4);
        EXPECT_EQ(name.substr(name.size() - 4), ".exe");
        EXPECT_GE(base.size(), 4u);
        EXPECT_LE(base.size(), 10u);
        EXPECT_TRUE(std::all_of(base.begin(), base.end(), [](char c) { return std::islower(c) || std::isdigit(c); }));
    }
    EXPECT_EQ(lines[28], "");
    const std::string last = lines[29];
    ASSERT_EQ(last.size(), 11u);
    EXPECT_EQ(last.substr(7), ".EXE");
    EXPECT_TRUE(std::all_of(last.begin(), last.begin() + 7, [](char c) { return std::isupper(c) || std::isdigit(c); }));

    Entries expected = names;
    expected.emplace_back();
    EXPECT_EQ(readTaskList(text).entries, expected) << "27 names and one empty entry; the last name is not listed";
}

TEST(TaskListEncoding, Utf8IsTakenAsItIsAndAnythingElseIsLeftToTheOlderCodePage) {
    using quellary::asUtf8Text;
    EXPECT_EQ(asUtf8Text("[H]\r\na.exe\r\n"), "[H]\r\na.exe\r\n");
    EXPECT_EQ(asUtf8Text("\xEF\xBB\xBF[H]\r\n\xD0\xBA\xE6\xB5\x8B\xF0\x9F\x98\x80.exe"),
              "[H]\r\n\xD0\xBA\xE6\xB5\x8B\xF0\x9F\x98\x80.exe")
        << "byte-order mark dropped; two-, three- and four-byte letters kept";
    EXPECT_EQ(asUtf8Text(""), "");
    for (const char* notUtf8 :
         {"caf\xE9.exe", "\xC0\xAF", "\xE0\x80\xAF", "\xED\xA0\x80", "\xF4\x90\x80\x80", "\xE6\xB5", "\x80", "\xFF"}) {
        EXPECT_EQ(asUtf8Text(notUtf8), std::nullopt) << notUtf8;
    }
}

TEST(TaskListEncoding, Utf16ByItsMarkBecomesUtf8AndWhatNoLetterIsBecomesAQuestionMark) {
    using namespace std::string_literals;
    // "a", "ä", "€", "😀" (two units) in both byte orders; then lone surrogates and an odd last byte.
    const std::string utf8 = "a\xC3\xA4\xE2\x82\xAC\xF0\x9F\x98\x80";
    EXPECT_EQ(quellary::unicodeTextAsUtf8("\xFF\xFE\x61\0\xE4\0\xAC\x20\x3D\xD8\x00\xDE"s), utf8);
    EXPECT_EQ(quellary::unicodeTextAsUtf8("\xFE\xFF\0a\0\xE4\x20\xAC\xD8\x3D\xDE\x00"s), utf8);
    EXPECT_EQ(quellary::unicodeTextAsUtf8("\xFF\xFE\x61\0\x3D\xD8\x62\0\x00\xDE\x63"s), "a?b??");
    EXPECT_EQ(quellary::unicodeTextAsUtf8("caf\xE9.exe"), std::nullopt);
}

} // namespace
