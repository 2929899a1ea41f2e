#include "session_plan.h"

#include <gtest/gtest.h>

using namespace endprocx;

TEST(SessionPlan, OnlySystemAsksInAnotherUsersSessionAndOnlyWhereSomeoneIsThere) {
    const quellary::RunIdentity system{0, true};
    const quellary::RunIdentity systemInUserSession{2, true};
    const quellary::RunIdentity adminInSessionZero{0, false, true};
    struct Case {
        quellary::RunIdentity run;
        std::uint32_t session;
        SessionState state;
        Unasked expected;
    };
    const Case cases[] = {
        {system, 1, SessionState::active, Unasked::no},
        {system, 3, SessionState::other, Unasked::no}, // a state that cannot be read is no reason to force
        {system, 1, SessionState::disconnected, Unasked::disconnected},
        {systemInUserSession, 0, SessionState::active, Unasked::noUser},
        {systemInUserSession, 1, SessionState::active, Unasked::no},
        {adminInSessionZero, 1, SessionState::active, Unasked::notSystem},
        {adminInSessionZero, 1, SessionState::disconnected, Unasked::notSystem},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(helperChoice(c.run, c.session, c.state), c.expected)
            << "run in session " << c.run.session << (c.run.localSystem ? " as SYSTEM" : "") << ", session "
            << c.session;
    }
}

TEST(SessionPlan, EveryOtherSessionGetsOneHelperForAllOfItsProcesses) {
    const std::vector<SessionGroup> groups = otherSessions(0, {2, 0, 1, 2, 0, 1});
    ASSERT_EQ(groups.size(), 2u);
    EXPECT_EQ(groups[0].session, 2u);
    EXPECT_EQ(groups[0].processes, (std::vector<std::size_t>{0, 3}));
    EXPECT_EQ(groups[1].session, 1u);
    EXPECT_EQ(groups[1].processes, (std::vector<std::size_t>{2, 5}));
    EXPECT_TRUE(otherSessions(1, {1, 1}).empty()) << "a run in its own session starts no helper";
}

TEST(SessionPlan, TheHelpersRequestAndAnswerSurviveTheirWayAndNoTaskNameIsTakenForARequest) {
    const HelperRequest request{1234567890123, {{4242, 133500000000000000}, {8, 0}}};
    const std::optional<HelperRequest> read = helperRequest(helperArguments(request));
    ASSERT_TRUE(read);
    EXPECT_EQ(read->deadline, request.deadline);
    ASSERT_EQ(read->processes.size(), 2u);
    EXPECT_EQ(read->processes[0].pid, 4242u);
    EXPECT_EQ(read->processes[0].created, 133500000000000000u);
    for (const std::string_view name : {"cvagent.exe", "/ask-windows", "/ask-windows 5 1:2 x", "/ask-windows 5 1",
                                        "/ask-windows x 1:2", "/ask-windows 5 1:2 "}) {
        EXPECT_FALSE(helperRequest(name)) << name;
    }

    EXPECT_EQ(askedIn(helperReport({12, 34}, {12})), (std::vector<std::uint32_t>{12, 34}));
    EXPECT_EQ(askedIn(helperReport({}, {})), std::vector<std::uint32_t>{});
    EXPECT_FALSE(askedIn("asked 12 3")) << "an answer cut short";
    EXPECT_FALSE(askedIn("ended 12\r\n"));
}
