#include "platform/processes.h"

#include "platform/handles.h"

#include <tlhelp32.h>

#include <utility>

namespace quellary {

std::wstring imagePath(DWORD id) {
    const UniqueHandle process(::OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id));
    if (!process) {
        return {};
    }
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        auto size = static_cast<DWORD>(path.size());
        if (::QueryFullProcessImageNameW(process.get(), 0, path.data(), &size)) {
            path.resize(size);
            return longPath(path);
        }
        if (::GetLastError() != ERROR_INSUFFICIENT_BUFFER || path.size() > 32768) {
            return {};
        }
        path.resize(path.size() * 2);
    }
}

std::vector<RunningProcess> runningProcesses() {
    std::vector<RunningProcess> processes;
    const HANDLE snapshot = ::CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0);
    if (snapshot == INVALID_HANDLE_VALUE) {
        return processes;
    }
    const UniqueHandle owned(snapshot);
    PROCESSENTRY32W entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = ::Process32FirstW(snapshot, &entry); more; more = ::Process32NextW(snapshot, &entry)) {
        if (entry.th32ProcessID == ::GetCurrentProcessId() || entry.th32ProcessID == 0) {
            continue;
        }
        if (std::optional<RunningProcess> process = processInReach(entry.th32ProcessID, entry.szExeFile)) {
            processes.push_back(std::move(*process));
        }
    }
    return processes;
}

std::optional<RunningProcess> processInReach(DWORD id, std::wstring name) {
    static const DWORD ownSession = [] {
        DWORD session = 0;
        ::ProcessIdToSessionId(::GetCurrentProcessId(), &session);
        return session;
    }();
    DWORD session = 0;
    if (!::ProcessIdToSessionId(id, &session) || !withinReach(ownSession, session)) {
        return std::nullopt;
    }
    return RunningProcess{id, std::move(name), imagePath(id), session};
}

bool sameFileName(std::wstring_view a, std::wstring_view b) {
    return ::CompareStringOrdinal(a.data(), static_cast<int>(a.size()), b.data(), static_cast<int>(b.size()), TRUE) ==
           CSTR_EQUAL;
}

bool liesUnder(std::wstring_view path, std::wstring_view folder) {
    while (!folder.empty() && (folder.back() == L'\\' || folder.back() == L'/')) {
        folder.remove_suffix(1);
    }
    return !folder.empty() && path.size() > folder.size() + 1 && path[folder.size()] == L'\\' &&
           sameFileName(path.substr(0, folder.size()), folder);
}

std::wstring wideText(std::string_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::wstring wide(static_cast<std::size_t>(::MultiByteToWideChar(codePage, 0, text.data(), length, nullptr, 0)),
                      L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), length, wide.data(), static_cast<int>(wide.size()));
    return wide;
}

std::string narrowText(std::wstring_view text, UINT codePage) {
    if (text.empty()) {
        return {};
    }
    const int length = static_cast<int>(text.size());
    std::string narrow(
        static_cast<std::size_t>(::WideCharToMultiByte(codePage, 0, text.data(), length, nullptr, 0, nullptr, nullptr)),
        '\0');
    ::WideCharToMultiByte(codePage, 0, text.data(), length, narrow.data(), static_cast<int>(narrow.size()), nullptr,
                          nullptr);
    return narrow;
}

std::wstring longPath(const std::wstring& path) {
    std::wstring full(path.size() + MAX_PATH, L'\0');
    const DWORD length = ::GetLongPathNameW(path.c_str(), full.data(), static_cast<DWORD>(full.size()));
    if (length == 0 || length >= full.size()) {
        return path;
    }
    full.resize(length);
    return full;
}

} // namespace quellary
