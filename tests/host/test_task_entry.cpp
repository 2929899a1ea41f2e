#include "termination/task_entry.h"

#include <gtest/gtest.h>

using namespace quellary;

TEST(TaskEntry, FileNamesFullPathsAndNamesNoFileCanHave) {
    const struct {
        const char* entry;
        EntryKind kind;
        const char* why; // a part of the reason
    } cases[] = {
        {"cv agent\xC3\xA4.exe", EntryKind::ImageName, ""},
        {"\xE3\x82\xBD.exe", EntryKind::ImageName, ""}, // its Shift-JIS form ends in a backslash byte
        {"c:\\Q\\cvagent.exe", EntryKind::FullPath, ""},
        {"\\\\server\\share\\cvagent.exe", EntryKind::FullPath, ""},
        {"cv*.exe", EntryKind::Unusable, "wildcard *"},
        {"C:\\Q\\cv?.exe", EntryKind::Unusable, "code page"},
        {"a\tb", EntryKind::Unusable, "control"},
        {"C:/Q/cvagent.exe", EntryKind::Unusable, "/"},
        {"Q\\cvagent.exe", EntryKind::Unusable, "full path"},
        {"C:cvagent.exe", EntryKind::Unusable, "full path"},
        {"C:\\Q\\..\\a.exe", EntryKind::Unusable, "full path"},
        {"C:\\a.exe:stream", EntryKind::Unusable, "full path"},
        {"\\\\server\\share", EntryKind::Unusable, "full path"},
    };
    for (const auto& c : cases) {
        const EntryClass got = classifyEntry(c.entry);
        EXPECT_EQ(got.kind, c.kind) << c.entry;
        EXPECT_NE(got.why.find(c.why), std::string::npos) << c.entry << ": " << got.why;
    }
}

TEST(TaskEntry, OneBoxNamesEveryUnusableEntry) {
    EXPECT_EQ(unusableEntriesMessage({}), "");
    EXPECT_EQ(unusableEntriesMessage({{"cv*.exe", "holds the wildcard *"}, {"Q\\a.exe", "is no path"}}),
              "These entries of the task list are no program's name, so no task was looked for under them:\r\n"
              "    cv*.exe: holds the wildcard *\r\n"
              "    Q\\a.exe: is no path\r\n"
              "Name each program by its file name (cvagent.exe) or by the full path of its file "
              "(C:\\Program Files\\Halvane\\Corvana\\cvagent.exe).");
}
