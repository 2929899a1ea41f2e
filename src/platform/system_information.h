// The system's own list of processes, as ntdll gives it on every Windows NT: looked up rather than imported, so
// that nothing needs its import library.
#pragma once

#include <windows.h>

namespace quellary {

using NtQuerySystemInformationFn = LONG(WINAPI*)(ULONG, PVOID, ULONG, PULONG);

inline constexpr ULONG systemProcessInformation = 5;
inline constexpr ULONG systemProcessIdInformation = 88;

inline FARPROC ntdllFunction(const char* name) {
    const HMODULE ntdll = ::GetModuleHandleW(L"ntdll.dll");
    return ntdll ? ::GetProcAddress(ntdll, name) : nullptr;
}

inline NtQuerySystemInformationFn ntQuerySystemInformation() {
    static const auto fn = reinterpret_cast<NtQuerySystemInformationFn>(
        reinterpret_cast<void*>(ntdllFunction("NtQuerySystemInformation")));
    return fn;
}

// The system error that a failed status stands for.
inline DWORD errorOfStatus(LONG status) {
    using RtlNtStatusToDosErrorFn = ULONG(WINAPI*)(LONG);
    static const auto fn =
        reinterpret_cast<RtlNtStatusToDosErrorFn>(reinterpret_cast<void*>(ntdllFunction("RtlNtStatusToDosError")));
    const DWORD error = fn ? fn(status) : ERROR_MR_MID_NOT_FOUND;
    return error == ERROR_MR_MID_NOT_FOUND ? ERROR_INTERNAL_ERROR : error;
}

} // namespace quellary
