#include "termination/run_mutex.h"

#include "platform/files.h"
#include "termination/kill_command.h"

#include <sddl.h>

namespace quellary {

namespace {

// Waiting and releasing (SYNCHRONIZE | MUTEX_MODIFY_STATE) for every signed-in user, every right for the system,
// the administrators and the run that made it.
constexpr const char* runMutexAccess = "D:(A;;0x100001;;;AU)(A;;GA;;;SY)(A;;GA;;;BA)(A;;GA;;;OW)";

} // namespace

RunMutex openRunMutex(std::string_view name) {
    const std::string mutexName(name);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(runMutexAccess, SDDL_REVISION_1, &descriptor,
                                                                nullptr)) {
        return {{}, runMutexFailureMessage(name, systemErrorText(::GetLastError()))};
    }
    const UniqueLocalMemory owned(descriptor);
    SECURITY_ATTRIBUTES security{sizeof security, descriptor, FALSE};
    // On an existing mutex CreateMutexA asks for every right, which a mutex made by another user refuses.
    if (HANDLE mutex = ::CreateMutexA(&security, FALSE, mutexName.c_str())) {
        return {UniqueHandle(mutex), {}};
    }
    DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        if (HANDLE mutex = ::OpenMutexA(SYNCHRONIZE | MUTEX_MODIFY_STATE, FALSE, mutexName.c_str())) {
            return {UniqueHandle(mutex), {}};
        }
        error = ::GetLastError();
    }
    return {{}, runMutexFailureMessage(name, systemErrorText(error))};
}

} // namespace quellary
