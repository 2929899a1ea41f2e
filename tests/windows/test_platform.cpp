// The thin Win32 layer against the real system.
#include "app_dir.h"
#include "platform/code_page.h"
#include "platform/files.h"
#include "platform/own_file.h"
#include "platform/program.h"
#include "platform/run_identity.h"
#include "platform/ui.h"

#include <gtest/gtest.h>

#include <thread>
#include <vector>

using namespace quellary;

namespace {

std::string tempPath(const std::string& name) {
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    return std::string(temp) + "quellary-platform-" + std::to_string(::GetCurrentProcessId()) + "-" + name;
}

} // namespace

// Wine's administrator token holds the privilege switched off, as an elevated token on Windows does.
TEST(Platform, TheDebugPrivilegeIsOnOnlyWhileAScopeLivesAndANestedScopeLeavesItAsItWas) {
    const DWORD self = ::GetCurrentProcessId();
    ASSERT_EQ(driver::debugPrivilegeOn(self), false);
    {
        const DebugPrivilege outer;
        EXPECT_EQ(driver::debugPrivilegeOn(self), true);
        { const DebugPrivilege inner; }
        EXPECT_EQ(driver::debugPrivilegeOn(self), true);
    }
    EXPECT_EQ(driver::debugPrivilegeOn(self), false);
}

TEST(Platform, ExistenceCountsOrdinaryAndReadOnlyFilesOnly) {
    const std::string plain = tempPath("plain");
    ASSERT_TRUE(writeNewFile(plain, "x"));
    EXPECT_TRUE(fileExists(plain));
    EXPECT_FALSE(writeNewFile(plain, "y")) << "an existing file is never overwritten";

    ::SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_TRUE(fileExists(plain));
    for (DWORD attribute : {FILE_ATTRIBUTE_HIDDEN, FILE_ATTRIBUTE_SYSTEM}) {
        ::SetFileAttributesA(plain.c_str(), attribute);
        EXPECT_FALSE(fileExists(plain)) << attribute;
    }
    ::SetFileAttributesA(plain.c_str(), FILE_ATTRIBUTE_NORMAL);
    EXPECT_TRUE(::DeleteFileA(plain.c_str()));
    EXPECT_FALSE(fileExists(plain));

    const std::string folder = tempPath("folder");
    ASSERT_TRUE(::CreateDirectoryA(folder.c_str(), nullptr));
    EXPECT_FALSE(fileExists(folder));
    ::RemoveDirectoryA(folder.c_str());
}

TEST(Platform, FilesReadBackByteForByte) {
    const std::string path = tempPath("bytes");
    const std::string bytes("a\r\nb\0c\r", 7);
    ASSERT_TRUE(writeNewFile(path, bytes));
    EXPECT_EQ(readWholeFile(path), bytes);
    FileError error;
    EXPECT_FALSE(readWholeFile(path + "-missing", &error));
    EXPECT_EQ(error.code, static_cast<DWORD>(ERROR_FILE_NOT_FOUND));
    EXPECT_FALSE(error.description.empty());
    ::DeleteFileA(path.c_str());
}

TEST(Platform, AFileMadeAnewIsReachedThroughItsHoldWhateverComesToStandAtItsName) {
    const std::string path = tempPath("own");
    ASSERT_TRUE(writeNewFile(path, "old verdict\r\n"));
    std::optional<OwnFile> own = OwnFile::makeAnew(path, FILE_ATTRIBUTE_HIDDEN);
    ASSERT_TRUE(own);
    EXPECT_EQ(readWholeFile(path), std::optional<std::string>(""));
    {
        const UniqueFile writing = own->open(GENERIC_WRITE);
        DWORD written = 0;
        ASSERT_TRUE(::WriteFile(writing.get(), "run's", 5, &written, nullptr));
    }
    // Renamed away, and someone else's file put at the name: the hold reaches the file the program made, or, under
    // Wine, which opens the name again, nothing.
    ASSERT_TRUE(::MoveFileA(path.c_str(), (path + "-moved").c_str()));
    ASSERT_TRUE(writeNewFile(path, "someone's"));
    const UniqueFile reading = own->open(GENERIC_READ);
    const std::optional<std::string> read = reading ? readToEnd(reading.get()) : std::nullopt;
    EXPECT_TRUE(!read || *read == "run's") << *read;
    own.reset();
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    EXPECT_FALSE(OwnFile::makeAnew(path, FILE_ATTRIBUTE_HIDDEN)) << "a refused attribute";
    ::DeleteFileA((path + "-moved").c_str());
    ::SetFileAttributesA(path.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(path.c_str());
}

TEST(Platform, AReadOnlyFileThatCannotBeDeletedKeepsItsAttribute) {
    // A program's file cannot be deleted while it runs.
    const std::string image = tempPath("running.exe");
    ASSERT_TRUE(::CopyFileA(executablePath().c_str(), image.c_str(), FALSE));
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    std::string commandLine = "\"" + image + "\"";
    ASSERT_TRUE(::CreateProcessA(image.c_str(), commandLine.data(), nullptr, nullptr, FALSE, CREATE_SUSPENDED, nullptr,
                                 nullptr, &startup, &info));
    ASSERT_TRUE(::SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_FALSE(deleteFileInItsFolder(image));
    EXPECT_NE(::GetFileAttributesA(image.c_str()) & FILE_ATTRIBUTE_READONLY, 0u);
    ::TerminateProcess(info.hProcess, 1);
    ::WaitForSingleObject(info.hProcess, 5000);
    ::CloseHandle(info.hThread);
    ::CloseHandle(info.hProcess);
    ::SetFileAttributesA(image.c_str(), FILE_ATTRIBUTE_NORMAL);
    ::DeleteFileA(image.c_str());
}

TEST(Platform, RunsAppendingAtOnceAllKeepTheirRecords) {
    const std::string folder = tempPath("log");
    const std::string log = folder + "\\quellary.log";
    const auto block = [](int i) { return "=== run " + std::to_string(i) + " ===\r\n\r\n"; };
    std::vector<std::thread> runs;
    for (int i = 0; i < 8; ++i) {
        runs.emplace_back([&, i] {
            EXPECT_TRUE(updateFileInOneStep(log, [&](std::string_view old) { return std::string(old) + block(i); }))
                << i;
        });
    }
    for (std::thread& run : runs) {
        run.join();
    }
    const std::optional<std::string> text = readWholeFile(log);
    ASSERT_TRUE(text);
    for (int i = 0; i < 8; ++i) {
        EXPECT_NE(text->find(block(i)), std::string::npos) << i << " missing from\n" << *text;
    }
    EXPECT_FALSE(fileExists(log + ".new"));

    // A viewer that follows the log holds it without sharing deletion: the log cannot be replaced, only written.
    const HANDLE viewer = ::CreateFileA(log.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                        OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(viewer, INVALID_HANDLE_VALUE);
    EXPECT_TRUE(updateFileInOneStep(log, [&](std::string_view old) { return std::string(old) + block(8); }));
    EXPECT_EQ(readWholeFile(log), *text + block(8));
    EXPECT_TRUE(updateFileInOneStep(log, [&](std::string_view) { return block(9); })) << "the log cut short";
    EXPECT_EQ(readWholeFile(log), block(9));
    EXPECT_FALSE(fileExists(log + ".new"));
    ::CloseHandle(viewer);
    ::DeleteFileA(log.c_str());
    ::RemoveDirectoryA(folder.c_str());

    SYSTEMTIME utc{};
    ::GetSystemTime(&utc);
    const std::string now = localTimeIso8601(utc);
    ASSERT_EQ(now.size(), 25u) << now;
    EXPECT_TRUE(now[10] == 'T' && (now[19] == '+' || now[19] == '-') && now[22] == ':') << now;
}

TEST(Platform, ProgramFacts) {
    EXPECT_EQ(platformCode(), VER_PLATFORM_WIN32_NT);
    const std::string directory = executableDirectory();
    ASSERT_FALSE(directory.empty());
    EXPECT_NE(directory.back(), '\\');
    EXPECT_EQ(executablePath(), directory + "\\" + executableBaseName() + ".exe");
    EXPECT_EQ(executableBaseName(), "platform_tests");

    ::SetEnvironmentVariableA("QUELLARY_TEST_EMPTY", "");
    EXPECT_EQ(environmentVariable("QUELLARY_TEST_EMPTY"), std::optional<std::string>(""));
    EXPECT_EQ(environmentVariable("QUELLARY_TEST_SURELY_UNSET"), std::nullopt);
}

TEST(Platform, WaitEndsOnSignalTimeoutOrQuit) {
    const HANDLE event = ::CreateEventA(nullptr, TRUE, FALSE, nullptr);
    ASSERT_NE(event, nullptr);
    EXPECT_EQ(waitWithEvents(event, 50), WaitOutcome::TimedOut);

    ::SetEvent(event);
    EXPECT_EQ(waitWithEvents(event, 5000), WaitOutcome::Signalled);
    ::ResetEvent(event);

    // A pending quit ends the wait at once and is left for the outer loop to see.
    ::PostQuitMessage(7);
    const ULONGLONG started = ::GetTickCount64();
    EXPECT_EQ(waitWithEvents(event, 5000), WaitOutcome::Quit);
    EXPECT_LT(::GetTickCount64() - started, 2000u);
    MSG msg;
    ASSERT_TRUE(::PeekMessageA(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE));
    EXPECT_EQ(msg.wParam, 7u);
    ::CloseHandle(event);
}

TEST(Platform, AProgramStartsInItsJobOrWithoutOneWhereItCannotJoin) {
    const std::string interpreter = systemDirectory() + "\\cmd.exe";
    ASSERT_TRUE(fileExists(interpreter)) << interpreter;
    const HANDLE job = ::CreateJobObjectA(nullptr, nullptr);
    ASSERT_NE(job, nullptr);
    // A handle to the same job that may not assign processes to it: joining fails, as it does for a job
    // that allows no nesting.
    HANDLE closedJob = nullptr;
    ASSERT_TRUE(
        ::DuplicateHandle(::GetCurrentProcess(), job, ::GetCurrentProcess(), &closedJob, JOB_OBJECT_QUERY, FALSE, 0));
    for (const auto& [handle, joins] : {std::pair{job, true}, std::pair{closedJob, false}}) {
        SCOPED_TRACE(joins ? "joins the job" : "cannot join the job");
        StartOptions options;
        options.showWindow = SW_HIDE;
        options.application = interpreter;
        options.job = handle;
        const ProcessHandles started = startProgram("cmd /c exit 3", options);
        ASSERT_NE(started.processId, 0u) << "start failed: " << ::GetLastError();
        BOOL inJob = FALSE;
        EXPECT_TRUE(::IsProcessInJob(started.process.get(), job, &inJob));
        EXPECT_EQ(inJob != FALSE, joins);
        ASSERT_EQ(::WaitForSingleObject(started.process.get(), 10000), WAIT_OBJECT_0) << "left suspended";
        DWORD code = 0;
        EXPECT_TRUE(::GetExitCodeProcess(started.process.get(), &code));
        EXPECT_EQ(code, 3u);
    }
    ::CloseHandle(closedJob);
    ::CloseHandle(job);
}

TEST(Platform, TextForAnOlderWindowsCodePageTurnsWhatItLacksIntoAQuestionMarkNotALookAlike) {
    using namespace std::string_literals;
    // "cv", a-umlaut (in code page 1252), a-macron (which best fit would make "a"), Cyrillic ka, ".".
    const std::string utf16 = "\xFF\xFE\x63\0v\0\xE4\0\x01\x01\x3A\x04.\0"s;
    const std::string utf8 = "cv\xC3\xA4\xC4\x81\xD0\xBA.";
    for (const std::string& file : {utf16, utf8}) {
        EXPECT_EQ(textForCodePage(file, 1252, 1252), "cv\xE4??.");
        EXPECT_EQ(textForCodePage(file, 1252, CP_UTF8), utf8);
    }
    EXPECT_EQ(textForCodePage("caf\xE9", 1252, 1252), "caf\xE9");
    // In Shift-JIS the second byte of this letter is a backslash; its UTF-8 holds none.
    EXPECT_EQ(utf8FromCodePage("\x83\x5C.exe", 932), "\xE3\x82\xBD.exe");
}
