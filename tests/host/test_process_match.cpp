#include "platform/sessions.h"
#include "termination/process_match.h"
#include "termination/task_entry.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

using namespace quellary;

namespace {

// The file system's comparison needs Windows' case table; ASCII letters stand for it here.
bool sameAscii(std::wstring_view a, std::wstring_view b) {
    const auto fold = [](wchar_t c) { return c >= L'A' && c <= L'Z' ? static_cast<wchar_t>(c - L'A' + L'a') : c; };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [&](wchar_t x, wchar_t y) { return fold(x) == fold(y); });
}

const FileKey agentFile{{7, 1001}, L"\\\\?\\D:\\Apps\\Corvana\\cvagent.exe"};
const FileKey otherFile{{7, 2002}, L"\\\\?\\D:\\Old\\cvagent.exe"};

// The images a test knows, by process id; any other process may not be asked.
struct Images {
    std::map<std::uint32_t, ImageLookup> byId;
    std::map<std::uint32_t, std::wstring> devicePaths;
    int asked = 0;
    std::set<std::uint32_t> identified;
    ImageOf imageOf() {
        return [this](const ProcessRow& row) {
            ++asked;
            identified.insert(row.id);
            const auto found = byId.find(row.id);
            return found == byId.end() ? ImageLookup{} : found->second;
        };
    }
    ImagePlaceOf placeOf() {
        return [this](const ProcessRow& row) {
            const auto found = byId.find(row.id);
            return found == byId.end() ? ImagePlace{}
                                       : ImagePlace{found->second.state, found->second.path, devicePaths[row.id]};
        };
    }
};

ImageLookup read(std::wstring path, std::optional<FileKey> file) {
    return {ImageLookup::State::Read, std::move(path), std::move(file)};
}

ProcessRow row(std::uint32_t id, std::wstring name) {
    return {id, 1, 1, 0, std::move(name)};
}

EntryMatch agentByPath(std::wstring path = L"C:\\Program Files\\Corvana\\cvagent.exe") {
    return EntryMatch::byFile({std::move(path), L"", agentFile}, sameAscii);
}

} // namespace

TEST(Reach, AUsersRunKeepsToItsOwnSessionOrItsOwnProcessesAndOnlySystemOrAnAdministratorInSessionZeroReachEvery) {
    const RunIdentity user{2, false, false};
    const RunIdentity administrator{2, false, true};
    const RunIdentity deployment{0, false, true};
    const RunIdentity usersTask{0, false, false}; // a standard user's task, run whether they are logged on or not
    const RunIdentity agent{2, true, false};
    const struct {
        RunIdentity run;
        std::uint32_t session;
        std::optional<bool> ownUser;
        bool expected;
    } cases[] = {
        {user, 2, std::nullopt, true},
        {user, 3, std::nullopt, false}, // another user's session on a terminal server
        {user, 0, std::nullopt, false}, // the services' session
        {administrator, 3, std::nullopt, false},
        {deployment, 5, std::nullopt, true},
        {agent, 3, std::nullopt, true},
        {usersTask, 1, true, true},
        {usersTask, 1, false, false}, // another user's, which it could never end
        {usersTask, 0, false, false},
        {usersTask, 0, std::nullopt, true}, // whose processes are whose could not be told
        {usersTask, 1, std::nullopt, false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(withinReach(c.run, c.session, c.ownUser), c.expected)
            << c.run.session << c.run.localSystem << c.run.debugPrivilege << " " << c.session;
    }
}

TEST(EntryNames, BlanksAroundAndTheTrailingDotsWindowsDropsAreNoPartOfTheName) {
    EXPECT_EQ(normalisedName(std::string_view(" cvmate.exe")), "cvmate.exe");
    EXPECT_EQ(normalisedName(std::wstring_view(L"cvx.exe. . ")), L"cvx.exe");
    EXPECT_EQ(normalisedName(std::string_view("  ")), "");
    EXPECT_EQ(normalisedName(std::string_view("cv  two.exe")), "cv  two.exe");
    EXPECT_EQ(classifyEntry(" C:\\Q\\cvagent.exe ").kind, EntryKind::FullPath);

    EXPECT_TRUE(mayBeShortNameOf(L"CVDIRS~1.EXE", L"cvdirsync.exe", sameAscii));
    EXPECT_TRUE(mayBeShortNameOf(L"CVFULL~2.EXE", L"cv full name.exe", sameAscii));
    EXPECT_TRUE(mayBeShortNameOf(L"A_B~1.EXE", L"a+b.exe", sameAscii));
    EXPECT_FALSE(mayBeShortNameOf(L"CVDIRS~1.EXE", L"cvmail.exe", sameAscii));
    EXPECT_FALSE(mayBeShortNameOf(L"CVDIRS~1.COM", L"cvdirsync.exe", sameAscii));
    EXPECT_FALSE(mayBeShortNameOf(L"cvdirsync.exe", L"cvdirsync.exe", sameAscii)) << "no 8.3 name";
    EXPECT_FALSE(mayBeShortNameOf(L"~1.EXE", L"cvdirsync.exe", sameAscii));
    // Made from a hash of the long name, by Windows and by Wine.
    EXPECT_TRUE(mayBeShortNameOf(L"CV1A2B~1.EXE", L"cvdirsync.exe", sameAscii));
    EXPECT_TRUE(mayBeShortNameOf(L"PROG~FBU", L"Program Files", sameAscii));
    EXPECT_TRUE(mayBeShortNameOf(L"CVDI~K3Q.EXE", L"cvdirsync.exe", sameAscii));
    EXPECT_FALSE(mayBeShortNameOf(L"CO1A2B~1.EXE", L"cvdirsync.exe", sameAscii));
    EXPECT_FALSE(mayBeShortNameOf(L"CV1G2B~1.EXE", L"cvdirsync.exe", sameAscii)) << "G is no hex digit";
    EXPECT_FALSE(mayBeShortNameOf(L"CVDI~K-Q.EXE", L"cvdirsync.exe", sameAscii));
}

TEST(EntryMatch, ANameDecidesByTheListedNameAndAsksOnlyAboutShortNames) {
    Images images;
    images.byId[20] = read(L"C:\\Corvana\\cvdirsync.exe", agentFile);
    const EntryMatch byName = EntryMatch::byName(L" CVAGENT.exe ", sameAscii);
    const EntryMatch dirsync = EntryMatch::byName(L"cvdirsync.exe", sameAscii);
    const struct {
        const EntryMatch& entry;
        ProcessRow row;
        Match expected;
    } cases[] = {
        {byName, row(10, L"cvagent.exe"), Match::Yes},
        {byName, row(11, L"cvagent2.exe"), Match::No},
        {byName, row(12, L"CVAGEN~1.EXE"), Match::Unconfirmed}, // may be it, and may not be asked
        {dirsync, row(20, L"CVDIRS~1.EXE"), Match::Yes},        // listed by its short name, asked for its long one
        {EntryMatch(), row(30, L""), Match::No},                // the empty entry names nothing
        {EntryMatch::byName(L"", sameAscii), row(31, L""), Match::No},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(c.entry(c.row, images.imageOf()), c.expected) << c.row.id;
    }
    EXPECT_EQ(images.asked, 2) << "only the short names are asked about";
}

TEST(EntryMatch, AFullPathNamesOneFileWhateverWayLeadsToIt) {
    Images images;
    images.byId[1] = read(L"Q:\\cvagent.exe", agentFile);                         // a drive letter mapped to the folder
    images.byId[2] = read(L"C:\\Link\\CVAGENT.EXE", FileKey{{7, 1001}, L""});     // a folder link, another case
    images.byId[3] = read(L"C:\\Program Files\\Corvana\\cvagent.exe", otherFile); // the same text, another file
    images.byId[5] = {ImageLookup::State::Gone, L"", std::nullopt};
    images.byId[6] = read(L"C:\\Program Files\\Corvana\\CVAGENT.exe", std::nullopt); // its file can't be opened
    images.byId[7] = read(L"D:\\x\\cvagent.exe", FileKey{{9, 0}, L"\\\\?\\D:\\Other\\cvagent.exe"});
    const EntryMatch entry = agentByPath();
    const struct {
        std::uint32_t id;
        Match expected;
    } cases[] = {{1, Match::Yes}, {2, Match::Yes}, {3, Match::No}, {4, Match::Unconfirmed},
                 {5, Match::No},  {6, Match::Yes}, {7, Match::No}};
    for (const auto& c : cases) {
        EXPECT_EQ(entry(row(c.id, L"cvagent.exe"), images.imageOf()), c.expected) << c.id;
    }
    EXPECT_EQ(entry(row(8, L"cvmail.exe"), images.imageOf()), Match::No);
    EXPECT_EQ(images.asked, 7) << "a process of another name is never asked about";

    // Without an index on either side, the final paths decide; a file that is gone is known by its path alone.
    const EntryMatch noIndex =
        EntryMatch::byFile({L"C:\\P\\cvagent.exe", L"", FileKey{{9, 0}, L"\\\\?\\D:\\OTHER\\CVAGENT.EXE"}}, sameAscii);
    EXPECT_EQ(noIndex(row(7, L"cvagent.exe"), images.imageOf()), Match::Yes);
    images.byId[9] = read(L"\\\\fs\\apps\\Corvana\\cvagent.exe", std::nullopt);
    const EntryMatch gone =
        EntryMatch::byFile({L"C:\\Program Files\\Corvana\\cvagent.exe", L"", std::nullopt, true}, sameAscii);
    EXPECT_EQ(gone(row(3, L"cvagent.exe"), images.imageOf()), Match::Yes);
    EXPECT_EQ(gone(row(1, L"cvagent.exe"), images.imageOf()), Match::No);
    EXPECT_EQ(gone(row(6, L"cvagent.exe"), images.imageOf()), Match::Yes);
    EXPECT_EQ(gone(row(9, L"cvagent.exe"), images.imageOf()), Match::Unconfirmed) << "another path, unopened";
    // A file that this run cannot open (a drive mapped only for the user): a path written otherwise may lead
    // to it, so only a different file known on both sides is "not this one".
    const EntryMatch unseen = EntryMatch::byFile({L"Z:\\Corvana\\cvagent.exe", L"", std::nullopt}, sameAscii);
    EXPECT_EQ(unseen(row(1, L"cvagent.exe"), images.imageOf()), Match::Unconfirmed);
    EXPECT_EQ(unseen(row(9, L"cvagent.exe"), images.imageOf()), Match::Unconfirmed);
    EXPECT_EQ(unseen(row(3, L"cvagent.exe"), images.imageOf()), Match::Unconfirmed);
    EXPECT_EQ(entry(row(9, L"cvagent.exe"), images.imageOf()), Match::Unconfirmed) << "the image cannot be opened";
    const RowsMatched over = matchOverRows(unseen, {row(1, L"cvagent.exe"), row(5, L"cvagent.exe")}, images.imageOf());
    EXPECT_EQ(over.best, Match::Unconfirmed);
    ASSERT_EQ(over.named.size(), 1u);
    EXPECT_EQ(over.named[0].id, 1u);
    EXPECT_EQ(matchOverRows(entry, {row(4, L"cvagent.exe"), row(1, L"cvagent.exe")}, images.imageOf()).best, Match::Yes)
        << "one row seen running outweighs one left open";
    // Windows may list a process started through the file's 8.3 path by the short name.
    const EntryMatch withShortName = EntryMatch::byFile({L"C:\\P\\cvagent.exe", L"CVAGEN~1.EXE", agentFile}, sameAscii);
    EXPECT_EQ(withShortName(row(1, L"cvagen~1.exe"), images.imageOf()), Match::Yes);
}

TEST(UnlistedPrograms, TheClientsProgramsNoEntryNamesAndThoseWhosePathsCannotBeRead) {
    Images images;
    images.byId[1] = read(L"Q:\\cvlink.exe", FileKey{{7, 1}, L""});
    images.byId[3] = read(L"C:\\Elsewhere\\cvsync.exe", FileKey{{7, 99}, L""});
    images.byId[5] = read(L"C:\\C\\cvagent.exe", agentFile);
    // Beyond the walk (too deep, or its file renamed or deleted while it runs), known by where its image lies.
    images.byId[8] = read(L"C:\\C\\a\\b\\c\\d\\e\\f\\g\\cvdeep.exe", std::nullopt);
    images.byId[9] = read(L"C:\\C\\a\\b\\c\\d\\e\\f\\g\\CVDEEP.EXE", std::nullopt);
    images.byId[10] = read(L"Q:\\old\\cvold.exe", FileKey{{7, 50}, L""});
    images.devicePaths[10] = L"\\Device\\HarddiskVolume2\\Apps\\C\\old\\cvold.exe";
    images.byId[11] = read(L"C:\\C\\endprocx.exe", FileKey{{7, 77}, L""});
    images.byId[12] = read(L"C:\\Client2\\cvtwo.exe", FileKey{{7, 78}, L""});
    const std::vector<ProcessRow> rows = {row(1, L"cvlink.exe"),  row(2, L"cvguard.exe"),   row(3, L"cvsync.exe"),
                                          row(4, L"cvlink.exe"),  row(5, L"cvagent.exe"),   row(6, L"notepad.exe"),
                                          row(7, L"cvguard.exe"), row(8, L"cvdeep.exe"),    row(9, L"cvdeep.exe"),
                                          row(10, L"cvold.exe"),  row(11, L"endprocx.exe"), row(12, L"cvtwo.exe")};
    const auto file = [](std::wstring path, std::uint64_t index) {
        return EntryMatch::byFile({std::move(path), L"", FileKey{{7, index}, L""}}, sameAscii);
    };
    const std::vector<EntryMatch> programFiles = {file(L"C:\\C\\cvlink.exe", 1), file(L"C:\\C\\cvguard.exe", 2),
                                                  file(L"C:\\C\\cvsync.exe", 3), file(L"C:\\C\\cvagent.exe", 1001),
                                                  file(L"C:\\C\\cvidle.exe", 4)};
    const std::vector<EntryMatch> listed = {EntryMatch::byName(L"cvagent.exe", sameAscii)};
    const ClientFolder folder{L"C:\\C\\", L"", L"\\Device\\HarddiskVolume2\\Apps\\C", FileKey{{7, 77}, L""}};
    const std::vector<UnlistedProgram> found =
        unlistedPrograms(rows, images.imageOf(), images.placeOf(), listed, programFiles, folder, sameAscii);
    ASSERT_EQ(found.size(), 4u);
    EXPECT_EQ(found[0].path, L"C:\\C\\cvlink.exe");
    EXPECT_FALSE(found[0].pathUnread) << "seen by its path once, though a namesake could not be asked";
    EXPECT_EQ(found[1].path, L"C:\\C\\cvguard.exe");
    EXPECT_TRUE(found[1].pathUnread);
    EXPECT_EQ(found[2].path, L"C:\\C\\a\\b\\c\\d\\e\\f\\g\\cvdeep.exe") << "once for its two processes";
    EXPECT_EQ(found[3].path, L"Q:\\old\\cvold.exe") << "its device path lies in the folder";
    EXPECT_FALSE(images.identified.contains(12)) << "an image elsewhere is only placed, never opened";

    EXPECT_EQ(pathRoot(L"C:\\x\\y.exe"), L"C:\\");
    EXPECT_EQ(pathRoot(L"\\\\fs\\apps\\y.exe"), L"\\\\fs\\apps\\");
    EXPECT_EQ(pathRoot(L"\\\\fs\\apps"), L"") << "no share without its backslash";
    EXPECT_EQ(pathRoot(L"\\\\?\\C:\\y.exe"), L"");
    EXPECT_EQ(pathRoot(L"y.exe"), L"");
}
