#include "session_plan.h"

#include <algorithm>
#include <charconv>

namespace endprocx {

namespace {

constexpr std::string_view requestMark = "/ask-windows ";
constexpr std::string_view askedMark = "asked";
constexpr std::string_view endedMark = "ended";

std::string_view whyText(Unasked why) {
    switch (why) {
    case Unasked::notSystem:
        return "only a run as SYSTEM may start a helper in another session";
    case Unasked::noUser:
        return "nobody is logged on there";
    case Unasked::disconnected:
        return "its user is disconnected";
    case Unasked::noAnswer:
        return "its helper did not answer in time";
    case Unasked::no:
    case Unasked::notStarted:
        break;
    }
    return "no helper could start there";
}

template <class Number> bool readNumber(std::string_view& text, Number& value) {
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc{} || end == text.data()) {
        return false;
    }
    text.remove_prefix(static_cast<std::size_t>(end - text.data()));
    return true;
}

bool skip(std::string_view& text, char c) {
    if (text.empty() || text.front() != c) {
        return false;
    }
    text.remove_prefix(1);
    return true;
}

std::string idLine(std::string_view mark, const std::vector<std::uint32_t>& pids) {
    std::string line(mark);
    for (const std::uint32_t pid : pids) {
        line += ' ' + std::to_string(pid);
    }
    return line + "\r\n";
}

} // namespace

Unasked helperChoice(quellary::RunIdentity run, std::uint32_t session, SessionState state) noexcept {
    if (!run.localSystem) {
        return Unasked::notSystem;
    }
    if (session == 0) {
        return Unasked::noUser;
    }
    // Nobody is there to answer what a window asks before it closes ("Save changes?"): asking would only put
    // off the force.
    return state == SessionState::disconnected ? Unasked::disconnected : Unasked::no;
}

std::vector<SessionGroup> otherSessions(std::uint32_t ownSession, const std::vector<std::uint32_t>& sessionOfEach) {
    std::vector<SessionGroup> groups;
    for (std::size_t i = 0; i < sessionOfEach.size(); ++i) {
        const std::uint32_t session = sessionOfEach[i];
        if (session == ownSession) {
            continue;
        }
        auto group =
            std::find_if(groups.begin(), groups.end(), [&](const SessionGroup& g) { return g.session == session; });
        if (group == groups.end()) {
            group = groups.insert(groups.end(), SessionGroup{session, {}});
        }
        group->processes.push_back(i);
    }
    return groups;
}

std::string unaskedText(const std::vector<UnaskedWindows>& sessions) {
    std::string text;
    for (const UnaskedWindows& s : sessions) {
        text += ", " + std::to_string(s.processes) + " in session " + std::to_string(s.session) +
                " not asked: " + std::string(whyText(s.why));
        if (s.why == Unasked::notStarted && s.error != 0) {
            text += ", system error " + std::to_string(s.error);
        }
    }
    return text;
}

std::string helperArguments(const HelperRequest& request) {
    std::string arguments = std::string(requestMark) + std::to_string(request.deadline);
    for (const SeenProcess& process : request.processes) {
        arguments += ' ' + std::to_string(process.pid) + ':' + std::to_string(process.created);
    }
    return arguments;
}

std::optional<HelperRequest> helperRequest(std::string_view taskName) {
    if (!taskName.starts_with(requestMark)) {
        return std::nullopt;
    }
    std::string_view rest = taskName.substr(requestMark.size());
    HelperRequest request;
    if (!readNumber(rest, request.deadline)) {
        return std::nullopt;
    }
    while (skip(rest, ' ')) {
        SeenProcess process;
        if (!readNumber(rest, process.pid) || !skip(rest, ':') || !readNumber(rest, process.created)) {
            return std::nullopt;
        }
        request.processes.push_back(process);
    }
    if (!rest.empty()) {
        return std::nullopt;
    }
    return request;
}

std::string helperReport(const std::vector<std::uint32_t>& asked, const std::vector<std::uint32_t>& ended) {
    return idLine(askedMark, asked) + idLine(endedMark, ended);
}

std::optional<std::vector<std::uint32_t>> askedIn(std::string_view report) {
    const std::size_t end = report.find("\r\n");
    if (!report.starts_with(askedMark) || end == std::string_view::npos) {
        return std::nullopt;
    }
    std::string_view line = report.substr(askedMark.size(), end - askedMark.size());
    std::vector<std::uint32_t> pids;
    while (skip(line, ' ')) {
        std::uint32_t pid = 0;
        if (!readNumber(line, pid)) {
            return std::nullopt;
        }
        pids.push_back(pid);
    }
    if (!line.empty()) {
        return std::nullopt;
    }
    return pids;
}

} // namespace endprocx
