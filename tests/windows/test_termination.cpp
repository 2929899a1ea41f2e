// The termination run against real processes, files and kill tools, on a list of its own.
#include "termination/termination_run.h"

#include "program/app_info.h"
#include "platform/paths.h"
#include "app_dir.h"
#include "platform/program.h"
#include "platform/security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <thread>

using namespace quellary;

TEST(ResultFile, TheFirstPlaceThatCanBeMadeAnewWinsAndNothingThereBeforeIsKeptOrReachedThrough) {
    const driver::AppDir app;
    const std::string writable = app.file("killed.lst");
    const std::string missing = app.file("no such folder\\killed.lst");
    const std::string locked = app.file("locked.lst");
    const HANDLE holder = ::CreateFileA(locked.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    ASSERT_NE(holder, INVALID_HANDLE_VALUE);
    // Another user's link to a file of theirs, and another user's file that everybody may change.
    const std::string linked = app.file("linked.txt");
    const std::string link = app.file("link.lst");
    const std::string symbolic = app.file("symbolic.lst");
    const std::string target = app.file("target.txt");
    driver::writeFile(linked, "someone's own\r\n");
    driver::writeFile(target, "someone's own\r\n");
    ASSERT_TRUE(::CreateHardLinkA(link.c_str(), linked.c_str(), nullptr));
    ASSERT_TRUE(driver::makeLink(symbolic, target, false));
    driver::writeFile(writable, "someone's verdict\r\n");
    ASSERT_TRUE(driver::openToEveryone(writable));

    EXPECT_EQ(chooseResultFile({missing, locked, link, app.path(), writable})->path(), writable);
    EXPECT_EQ(driver::readFile(writable), "") << "the earlier file was kept";
    const std::optional<Protection> made = protectionOf(writable);
    ASSERT_TRUE(made);
    EXPECT_EQ(othersMayChange(*made), std::vector<std::string>{}) << "others may change the run's own file";
    EXPECT_EQ(driver::readFile(linked), "someone's own\r\n");
    // A symbolic link is deleted as the link, or passed over where the system follows it (Wine, a Unix link).
    EXPECT_TRUE(chooseResultFile({symbolic, writable}));
    EXPECT_EQ(driver::readFile(target), "someone's own\r\n");
    EXPECT_EQ(chooseResultFile({writable, missing})->path(), writable);
    EXPECT_FALSE(chooseResultFile({missing, locked}));
    // A temporary folder named in its 8.3 form, as Windows names it for a long user name: the next run makes the
    // file that the last one made anew.
    char shortForm[MAX_PATH];
    const DWORD shortLength = ::GetShortPathNameA(app.path().c_str(), shortForm, MAX_PATH);
    ASSERT_TRUE(shortLength > 0 && shortLength < MAX_PATH && std::string(shortForm) != app.path()) << shortForm;
    const std::string shortNamed = std::string(shortForm) + "\\killed.lst";
    EXPECT_TRUE(chooseResultFile({shortNamed}));
    EXPECT_TRUE(chooseResultFile({shortNamed})) << "the run's own file was passed over";
    ::CloseHandle(holder);
}

TEST(ResultFile, CandidatesAreTheRootOfCThenTheTemporaryFolderThenTheProgramsLocalFolder) {
    const std::vector<std::string> candidates = resultFileCandidates();
    ASSERT_EQ(candidates.size(), 3u);
    EXPECT_EQ(candidates[0], "C:\\killed.lst");
    char temp[MAX_PATH];
    ::GetTempPathA(MAX_PATH, temp);
    EXPECT_EQ(candidates[1], std::string(temp) + "killed.lst");
    EXPECT_EQ(candidates[2], withTrailingBackslash(*environmentVariable("LOCALAPPDATA")) + "Quellary\\killed.lst");
    EXPECT_TRUE(chooseResultFile({candidates[2]})) << "the folder is made where it is missing";
}

namespace {

using namespace driver;

// A list of its own, keeping the check-box list's rules for the current item.
struct Sheet final : TaskSheet {
    explicit Sheet(std::vector<std::string> names) : texts(std::move(names)), ticks(texts.size(), true) {}
    [[nodiscard]] int count() const override { return static_cast<int>(texts.size()); }
    [[nodiscard]] std::string text(int index) const override { return texts.at(index); }
    [[nodiscard]] bool isTicked(int index) const override { return ticks.at(index); }
    void setTicked(int index, bool ticked) override { ticks.at(index) = ticked; }
    void append(const std::string& text) override {
        texts.push_back(text);
        ticks.push_back(true);
    }
    void remove(int index) override {
        texts.erase(texts.begin() + index);
        ticks.erase(ticks.begin() + index);
        at = index < at ? at - 1 : index == at ? -1 : at;
    }
    [[nodiscard]] int current() const override { return at; }
    void setCurrent(int index) override { at = index; }

    std::vector<std::string> texts;
    std::vector<bool> ticks;
    int at = 0;
};

// Each task's line in the run's record.
std::string outcomes(const RunRecord& record) {
    const std::string block = formatRunRecord(record);
    const std::size_t tasks = block.find('\n', block.find("result file:")) + 1;
    return block.substr(tasks, block.find("ended:") - tasks);
}

class Run : public testing::Test {
protected:
    AppDir app;

    void TearDown() override {
        for (const char* name :
             {"QUELLARY_FAKE_KILLTOOL", "QUELLARY_FAKE_KILLTOOL_LOG", "QUELLARY_FAKE_KILLTOOL_DELAY_MS"}) {
            ::SetEnvironmentVariableA(name, nullptr);
        }
    }

    // Our kill tool beside the program, or the fake one in the Windows directory misbehaving as `mode` says.
    RunSettings settings(const std::string& fakeMode = {}) const {
        RunSettings s;
        s.osFamily = "NT";
        const std::string system = withTrailingBackslash(systemDirectory());
        if (fakeMode.empty()) {
            app.install("endprocx.exe");
            s.tool = killToolPlace(app.path() + "\\", false, system);
        } else {
            app.installTo("fake_killtool.exe", app.windir(), "endprocx.exe");
            ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL", fakeMode.c_str());
            s.tool = killToolPlace(app.windir() + "\\", true, system);
        }
        s.resultFileCandidates = {app.file("killed.lst")};
        return s;
    }
};

TEST_F(Run, VerdictsUntickWhatWasNotRunningTheUntickedAreSparedAndThePruningKeepsWhatWasEnded) {
    RunningTask keep(app, "cvkeep.exe");
    RunningTask keepAgain(app, "CVKEEP.EXE");
    RunningTask spared(app, "cv spared&b.exe");
    ASSERT_TRUE(keep.started() && keepAgain.started() && spared.started());
    Sheet list({"cvnone.exe", "cvkeep.exe", "cv spared&b.exe", "", "cvlast.exe"});
    list.setTicked(2, false);
    list.setCurrent(1);
    // The spared task runs from the client's folder: being listed, it is no unlisted program either.
    RunSettings s = settings();
    char folder[MAX_PATH];
    s.clientFolder = std::string(folder, ::GetFullPathNameA((app.path() + "\\..").c_str(), MAX_PATH, folder, nullptr));
    TerminationRun run(s, {});

    const RunOutcome& outcome = run.run(list);
    EXPECT_EQ(outcome.exitCode, exitDone);
    EXPECT_EQ(outcome.box, "");
    EXPECT_EQ(outcome.record.resultFile, app.file("killed.lst"));
    EXPECT_EQ(outcomes(outcome.record), "task cvnone.exe: not running\r\ntask cvkeep.exe: terminated\r\n"
                                        "task cv spared&b.exe: left running (unticked)\r\n"
                                        "task (empty name): not running\r\ntask cvlast.exe: not running\r\n");
    EXPECT_TRUE(keep.endsWithin(1s));
    EXPECT_TRUE(keepAgain.endsWithin(1s)) << "every process of the name ends";
    EXPECT_FALSE(spared.endsWithin(0ms)) << "an unticked task was ended";
    EXPECT_EQ(list.current(), 4) << "the last task handled is current";
    EXPECT_EQ(run.prune(list), PruneOutcome::Done);
    EXPECT_EQ(list.texts, std::vector<std::string>{"cvkeep.exe"});
}

TEST_F(Run, EveryNameButOnesNoProgramCanHaveReachesTheToolInListOrderAndAHeldResultFileIsWaitedFor) {
    const std::string log = app.file("tool.log");
    RunSettings s = settings("log");
    ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL_LOG", log.c_str());
    // As a scanner would: the first verdict is looked at, read-only but keeping writers out, as soon as the
    // tool has let go of the file, and for longer than the run pauses before the next task.
    std::thread scanner([&] {
        if (waitUntil([&] { return readFile(log).find("[b.exe ]") != std::string::npos; }, 30s)) {
            HANDLE held = INVALID_HANDLE_VALUE;
            (void)waitUntil(
                [&] {
                    held = ::CreateFileA(s.resultFileCandidates[0].c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                         OPEN_EXISTING, 0, nullptr);
                    return held != INVALID_HANDLE_VALUE;
                },
                5s);
            ::Sleep(600);
            ::CloseHandle(held);
        }
    });
    Sheet list({"b.exe", "a b.exe", "", "cv*.exe", "A&B%x%.exe", "c.exe"});
    TerminationRun run(s, {});
    const int exitCode = run.run(list).exitCode;
    scanner.join();
    EXPECT_EQ(exitCode, exitTasksMayRun) << "a held result file ended the run, or a wildcard passed for a name";
    EXPECT_EQ(run.unusable().size(), 1u);
    EXPECT_NE(formatRunRecord(run.outcome().record).find("task cv*.exe: not a program name"), std::string::npos);
    // Through the interpreter the blank before the redirection reaches the tool too; a name the interpreter
    // would take apart goes to the tool directly.
    EXPECT_EQ(readFile(log), "[b.exe ]\n[a b.exe ]\n[ ]\n[A&B%x%.exe]\n[c.exe ]\n");
    EXPECT_EQ(run.prune(list), PruneOutcome::ListEmpty);
}

TEST_F(Run, TasksItCannotConfirmLoseTheirTickAndSayWhy) {
    const std::string noVerdict = "the kill tool ended without a verdict";
    const struct {
        const char* mode;
        std::string one, hang;
    } cases[] = {
        {"denied", "Access is denied", "Access is denied"},
        {"oneline", noVerdict, noVerdict},
        {"hang", noVerdict, "the kill tool did not finish within 3 seconds"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.mode);
        RunSettings s = settings(c.mode);
        s.killToolTimeoutMs = 3000;
        Sheet list({"cvone.exe", "cvhang.exe"});
        TerminationRun run(s, {});
        const auto processorSeconds = [] {
            FILETIME times[4];
            ::GetProcessTimes(::GetCurrentProcess(), &times[0], &times[1], &times[2], &times[3]);
            return (times[2].dwLowDateTime + times[3].dwLowDateTime +
                    4294967296.0 * (times[2].dwHighDateTime + times[3].dwHighDateTime)) /
                   1e7;
        };
        const double cpuBefore = processorSeconds();
        const DWORD started = ::GetTickCount();
        const RunOutcome& outcome = run.run(list);
        const double waited = (::GetTickCount() - started) / 1000.0;
        const double cpu = processorSeconds() - cpuBefore;

        EXPECT_EQ(outcome.exitCode, exitTasksMayRun);
        EXPECT_EQ(outcomes(outcome.record), "task cvone.exe: may still be running (" + c.one +
                                                ")\r\ntask cvhang.exe: may still be running (" + c.hang + ")\r\n");
        EXPECT_EQ(run.unconfirmed().size(), 2u);
        EXPECT_EQ(run.prune(list), PruneOutcome::ListEmpty) << "a task that may still run was listed as ended";
        // The tool is a child of the interpreter: ending the interpreter alone would leave it running.
        EXPECT_TRUE(processesNamed("endprocx.exe").empty()) << "the hung kill tool was left running";
        if (std::string(c.mode) == "hang") {
            EXPECT_LT(cpu, 0.05 * waited) << "waiting must not keep a processor busy: " << cpu << " s in " << waited;
        }
    }
}

TEST_F(Run, AResultFileInAFolderWithBlanksOrSymbolsIsUsedWholeWhenTheFirstIsHeld) {
    const std::string usual = app.file("usual.lst");
    writeFile(usual, "left by someone else\r\n");
    const HANDLE held = ::CreateFileA(usual.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    for (const char* folder : {"temp dir", "temp&(dir)"}) {
        SCOPED_TRACE(folder);
        const std::string temp = app.file(folder);
        ASSERT_TRUE(::CreateDirectoryA(temp.c_str(), nullptr));
        RunningTask task(app, "cvtemp.exe");
        RunSettings s = settings();
        s.resultFileCandidates = {usual, temp + "\\killed.lst"};
        Sheet list({"cvnone.exe", "cvtemp.exe"});
        TerminationRun run(s, {});
        EXPECT_EQ(run.run(list).exitCode, exitDone) << "every verdict was read";
        EXPECT_TRUE(task.endsWithin(1s));
        EXPECT_EQ(run.outcome().record.resultFile, s.resultFileCandidates[1]);
        EXPECT_NE(readFile(s.resultFileCandidates[1]).find("Killed"), std::string::npos);
    }
    ::CloseHandle(held);
    EXPECT_EQ(readFile(usual), "left by someone else\r\n");
}

// Another run on the machine, holding the machine's run for `holdMs` from the moment this returns.
std::thread otherRun(DWORD holdMs) {
    const UniqueHandle taken(::CreateEventA(nullptr, TRUE, FALSE, nullptr));
    std::thread run([holdMs, taken = taken.get()] {
        const UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, "Global\\QuellaryRun"));
        ::WaitForSingleObject(mutex.get(), INFINITE);
        ::SetEvent(taken);
        ::Sleep(holdMs);
        ::ReleaseMutex(mutex.get());
    });
    ::WaitForSingleObject(taken.get(), INFINITE);
    return run;
}

TEST_F(Run, AnotherRunHoldingTheMachinesRunPastTheBoundEndsTheRunUntried) {
    const std::string log = app.file("tool.log");
    RunSettings s = settings("log");
    ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL_LOG", log.c_str());
    for (const bool unattended : {false, true}) {
        SCOPED_TRACE(unattended);
        s.unattended = unattended;
        s.otherRunBoundMs = 300;
        std::thread other = otherRun(3000);
        Sheet list({"cvone.exe"});
        TerminationRun run(s, {});
        const RunOutcome outcome = run.run(list);
        other.join();
        EXPECT_EQ(outcome.exitCode, exitNotCarriedOut);
        EXPECT_EQ(outcome.why, otherRunMessage(0));
        EXPECT_EQ(outcome.box, unattended ? "" : outcome.why) << "nobody is there to be told";
        EXPECT_EQ(outcome.record.resultFile, "") << "the result file is chosen only once the run is the machine's";
    }
    EXPECT_EQ(readFile(log), "") << "a task was handed over while another run held the machine's run";
}

TEST_F(Run, TwoRunsAtOnceEachJudgeTheirOwnToolsVerdicts) {
    // Both write to one result file: our tool finds nothing at once, the other reports a kill after a while.
    AppDir other;
    other.installTo("fake_killtool.exe", other.windir(), "endprocx.exe");
    ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL", "killed");
    ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL_DELAY_MS", "300");
    const std::vector<std::string> names{"cvone.exe", "cvtwo.exe", "cvthree.exe", "cvfour.exe"};
    RunSettings killing = settings();
    killing.tool = killToolPlace(other.windir() + "\\", true, killing.tool.startDirectory);
    Sheet killingList(names);
    TerminationRun killingRun(killing, {});
    std::thread first([&] { killingRun.run(killingList); });
    ::Sleep(100);
    Sheet findingList(names);
    TerminationRun findingRun(settings(), {});
    findingRun.run(findingList);
    first.join();
    EXPECT_EQ(killingRun.prune(killingList), PruneOutcome::Done);
    EXPECT_EQ(killingList.texts, names) << "every verdict of its tool was Killed";
    EXPECT_EQ(findingRun.prune(findingList), PruneOutcome::ListEmpty) << "every verdict of its tool was not found";
}

TEST_F(Run, NowhereToWriteTheVerdictsEndsTheRunUntried) {
    const std::string log = app.file("tool.log");
    RunSettings s = settings("log");
    ::SetEnvironmentVariableA("QUELLARY_FAKE_KILLTOOL_LOG", log.c_str());
    s.resultFileCandidates = {app.file("no such folder\\killed.lst"), app.file("offline\\killed.lst")};
    Sheet list({"cvone.exe"});
    TerminationRun run(s, {});
    const RunOutcome& outcome = run.run(list);
    EXPECT_EQ(outcome.exitCode, exitNotCarriedOut);
    EXPECT_EQ(outcome.box, "The kill tool's verdicts cannot be written: none of these files can be created:\r\n    " +
                               s.resultFileCandidates[0] + "\r\n    " + s.resultFileCandidates[1] +
                               "\r\nNo task was handed to the kill tool.");
    EXPECT_EQ(outcome.why, outcome.box);
    EXPECT_EQ(readFile(log), "");
    // The box is the main window's to show, once the run has let go: no box waits for a person while other runs
    // on the machine wait for this one.
    bool free = false;
    std::thread([&] {
        const UniqueHandle mutex(::CreateMutexA(nullptr, FALSE, "Global\\QuellaryRun"));
        free = ::WaitForSingleObject(mutex.get(), 0) == WAIT_OBJECT_0 && ::ReleaseMutex(mutex.get());
    }).join();
    EXPECT_TRUE(free);
}

TEST_F(Run, AToolThatCannotStartEndsTheRunWithTheCommandLineThatWasStarted) {
    RunSettings s = settings("log");
    ::DeleteFileA(s.tool.path.c_str()); // gone after the start-up found it
    Sheet list({"a&b.exe", "cvtwo.exe"});
    TerminationRun run(s, {});
    const RunOutcome& outcome = run.run(list);
    EXPECT_EQ(outcome.exitCode, exitNotCarriedOut);
    // A name the interpreter would take apart is handed to the tool directly: that is the start that failed.
    EXPECT_EQ(outcome.box, "Failed to activate endprocx.exe...\r\nTry running program manually with\r\n"
                           "    Click Start... Run... \"" +
                               s.tool.path + "\" a&b.exe...[ENTER]\r\nReinstall Quellary if this fails to run");
    EXPECT_EQ(outcome.why, outcome.box);
}

// A blank before the watched task's entry, and processes that refuse the run any access to themselves, listed and
// unlisted: none of them may pass for not running.
TEST_F(Run, ATaskAWatchdogStartsAgainIsEndedAgainAndProgramsOfTheClientTheListLacksAreFound) {
    app.installTo("task_standin.exe", app.path(), "cvagent.exe");
    RunningTask watchdog(app, "cvwatchdog.exe", "\"" + app.file("cvagent.exe") + "\"");
    RunningTask extra(app, "cvextra.exe");
    RunningTask closed(app, "cvclosed.exe", "/refuse all");
    RunningTask guarded(app, "cvguarded.exe", "/refuse all");
    ASSERT_TRUE(waitUntil([] { return processesNamed("cvagent.exe").size() == 1; }));
    RunSettings s = settings();
    char folder[MAX_PATH];
    s.clientFolder = std::string(folder, ::GetFullPathNameA((app.path() + "\\..").c_str(), MAX_PATH, folder, nullptr));
    Sheet list({" cvagent.exe", "cvwatchdog.exe", "cvnone.exe", "cvclosed.exe"});
    TerminationRun run(s, {});

    const RunOutcome& outcome = run.run(list);
    EXPECT_EQ(outcome.exitCode, exitTasksMayRun);
    const std::string record = outcomes(outcome.record);
    EXPECT_EQ(record.substr(0, record.find("unlisted")),
              "task  cvagent.exe: terminated\r\ntask cvwatchdog.exe: terminated\r\ntask cvnone.exe: not running\r\n"
              "task cvclosed.exe: may still be running (Process \"cvclosed.exe\": 1 of 1 not terminated (access "
              "denied 1))\r\n");
    EXPECT_NE(record.find("unlisted program " + extra.image() + ": left running\r\n"), std::string::npos) << record;
    EXPECT_NE(record.find("unlisted program " + guarded.image() +
                          ": left running (a process of its name runs whose path could not be read)\r\n"),
              std::string::npos)
        << record;
    EXPECT_TRUE(processesNamed("cvagent.exe").empty()) << "the watchdog's new task was left running";
    EXPECT_EQ(outcome.record.unlistedLeftRunning.size(), 2u);
    EXPECT_FALSE(extra.endsWithin(0ms));

    run.endUnlisted(list);
    EXPECT_TRUE(extra.endsWithin(1s));
    EXPECT_FALSE(guarded.endsWithin(0ms));
    EXPECT_EQ(list.texts.size(), 6u);
    EXPECT_EQ(outcome.exitCode, exitTasksMayRun);
    for (const TaskRecord& task : std::vector(outcome.record.tasks.end() - 2, outcome.record.tasks.end())) {
        EXPECT_EQ(task.outcome, task.task == extra.image() ? TaskOutcome::Terminated : TaskOutcome::MayStillRun)
            << task.task;
    }
    EXPECT_TRUE(outcome.record.unlistedLeftRunning.empty());
}

// The interpreter refused, as AppLocker or a software restriction policy refuses it: its file closed to everybody,
// which only a standard user's profile under Wine enforces. The access list it had comes back with the object.
class InterpreterRefused {
public:
    InterpreterRefused()
        : file_(::CreateFileA((withTrailingBackslash(systemDirectory()) + "cmd.exe").c_str(), READ_CONTROL | WRITE_DAC,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING, 0,
                              nullptr)) {
        PSECURITY_DESCRIPTOR closed = nullptr;
        if (file_ &&
            ::GetSecurityInfo(file_.get(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr, nullptr, nullptr,
                              nullptr, &saved_) == ERROR_SUCCESS &&
            ::ConvertStringSecurityDescriptorToSecurityDescriptorA("D:P", SDDL_REVISION_1, &closed, nullptr)) {
            refused_ = ::SetKernelObjectSecurity(file_.get(), DACL_SECURITY_INFORMATION, closed) != 0;
            ::LocalFree(closed);
        }
    }
    ~InterpreterRefused() {
        if (refused_) {
            ::SetKernelObjectSecurity(file_.get(), DACL_SECURITY_INFORMATION, saved_);
        }
        ::LocalFree(saved_);
    }
    InterpreterRefused(const InterpreterRefused&) = delete;
    InterpreterRefused& operator=(const InterpreterRefused&) = delete;

    [[nodiscard]] bool refused() const { return refused_; }

private:
    UniqueFile file_;
    PSECURITY_DESCRIPTOR saved_ = nullptr;
    bool refused_ = false;
};

class StandardUser : public Run {};

TEST_F(StandardUser, WhereTheInterpreterIsRefusedTheToolIsStartedDirectly) {
    const InterpreterRefused interpreter;
    ASSERT_TRUE(interpreter.refused());
    StartOptions hidden;
    hidden.showWindow = SW_HIDE;
    hidden.application = withTrailingBackslash(systemDirectory()) + "cmd.exe";
    const ProcessHandles probe = startProgram("cmd /d /c rem", hidden);
    ASSERT_EQ(probe.processId, 0u) << "the interpreter still starts: run through scripts/standard-user.sh";
    ASSERT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_ACCESS_DENIED));
    RunningTask task(app, "cvlocked.exe");
    Sheet list({"cvlocked.exe", "cvnone.exe"});
    TerminationRun run(settings(), {});
    EXPECT_EQ(run.run(list).exitCode, exitDone) << run.outcome().box;
    EXPECT_TRUE(task.endsWithin(1s));
    EXPECT_EQ(outcomes(run.outcome().record), "task cvlocked.exe: terminated\r\ntask cvnone.exe: not running\r\n");
}

} // namespace
