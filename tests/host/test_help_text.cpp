#include "windows/about_text.h"
#include "windows/help_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace quellary;

namespace {

// The text cut at its CR LF pairs; a lone CR or LF stays inside its line and so shows up in a comparison.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2) {
        lines.push_back(text.substr(start, at - start));
    }
    lines.push_back(text.substr(start));
    return lines;
}

} // namespace

TEST(HelpText, ParagraphsAreSingleLinesBetweenEmptyOnes) {
    // Each paragraph is one line, which the text box wraps.
    const std::string usage = "By default, there are 27 applications listed in the Quellary.ini file. You may alter "
                              "this list with any text editor of your choice to either add entries to or remove "
                              "entries from the default list. Generally speaking, the less tasks that Quellary has "
                              "to search for, the faster it should run overall.";
    const std::string rules = "You may delete all lines in the Quellary.ini file except for the header at the top and "
                              "you should leave at least one application entry.";
    const std::string recovery = "If you accidentally remove an application that you didn't want to, just add it "
                                 "back. If you can't remember the name(s) just recover the entire list by deleting "
                                 "the Quellary.ini file and restart the program. You will be asked if you would like "
                                 "to create a new one when the program detects that none exists at startup.";
    const std::string optimize = "Study the list of applications that Quellary scrolls through while killing Corvana "
                                 "tasks. Those that were actually found and terminated will still have a checkmark in "
                                 "their box when the program terminates. Quellary removes the checkmark when a listed "
                                 "task does not exist during the run. After watching the list a few times and "
                                 "learning which tasks are normally running on your own system, modify the "
                                 "Quellary.ini file to only contain those applications and the required header.";
    const std::vector<std::string> expected = {
        "Quellary .INI File Usage:",
        "",
        "Quellary reads a file called Quellary.ini in order ",
        "to determine which Corvana applications to 'QUELL'.",
        "",
        usage,
        "",
        "Your Quellary.ini file is located in:",
        "D:\\Tools\\Quellary",
        "",
        "THE RULES:",
        rules,
        "",
        recovery,
        "",
        "TO OPTIMIZE:",
        optimize,
        "",
        "Happy Quelling!",
    };
    const std::string text = helpText("D:\\Tools\\Quellary");
    EXPECT_EQ(linesOf(text), expected);
    EXPECT_FALSE(text.ends_with("\r\n")) << "the text ends with its last words";
}

TEST(HelpText, DirectoryLineShowsTheDirectoryAsGiven) {
    for (const char* directory : {"C:\\", "C:\\Program Files\\Quellary", "\\\\server\\share\\q", ""}) {
        SCOPED_TRACE(directory);
        const std::vector<std::string> lines = linesOf(helpText(directory));
        ASSERT_GT(lines.size(), 9u);
        EXPECT_EQ(lines[7], "Your Quellary.ini file is located in:");
        EXPECT_EQ(lines[8], directory);
        EXPECT_EQ(lines[9], "");
    }
}

TEST(HelpText, ErrorReportAlignsItsThreeLabels) {
    EXPECT_EQ(helpErrorReportPrompt(33, 310, "The process cannot access the file."),
              "Error    : 33\r\nLine No. : 310\r\nDesc     : The process cannot access the file.");
    EXPECT_EQ(helpErrorReportPrompt(4294967295UL, 100, ""), "Error    : 4294967295\r\nLine No. : 100\r\nDesc     : ");
    EXPECT_EQ(helpErrorReportTitle, "HOUSTON, We have a problem!");
}

TEST(KeyValueText, StringsLoseOnlyTheirTerminatingNull) {
    using namespace std::string_view_literals;
    const struct {
        std::string_view data;
        std::string expected;
    } cases[] = {
        {"C:\\Tools\\info.exe\0"sv, "C:\\Tools\\info.exe"},
        {"no null at the end"sv, "no null at the end"},
        {"two\0\0"sv, std::string("two\0", 4)},
        {"\0"sv, ""},
        {""sv, ""},
        {"inner\0null\0"sv, std::string("inner\0null", 10)},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::string(c.data)));
        EXPECT_EQ(keyValueText(c.data, keyTypeString), c.expected);
    }
}

TEST(KeyValueText, NumbersShowEveryByteMostSignificantFirst) {
    using namespace std::string_view_literals;
    EXPECT_EQ(keyValueText("\x78\x56\x34\x12"sv, keyTypeNumber), "&h12345678");
    EXPECT_EQ(keyValueText("\x01\0\0\0"sv, keyTypeNumber), "&h00000001") << "a high zero byte is a digit too";
    EXPECT_EQ(keyValueText("\0\0\0\0"sv, keyTypeNumber), "&h00000000");
    EXPECT_EQ(keyValueText("\xff\xfe\xab\xcd"sv, keyTypeNumber), "&hCDABFEFF");
}

TEST(KeyValueText, OtherTypesHaveNoText) {
    for (unsigned long type : {0UL, 2UL, 3UL, 7UL, 11UL}) {
        EXPECT_EQ(keyValueText(std::string_view("C:\\x\0", 5), type), std::nullopt) << type;
    }
}
