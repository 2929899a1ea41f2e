// Stands in for one task of the client: copied under a task's file name and started, it stays alive doing
// nothing until something ends it. A GUI-subsystem program, so that no console window opens for it.
// Given "/refuse all" or "/refuse end", it guards itself with an access list as some components do: other
// processes may not open it at all, or may ask about it but not end it.
// Given any other command line, it is that program's watchdog instead, as clients have them: it starts the program
// and starts it again whenever it ends.
#include <windows.h>
#include <aclapi.h>

#include <string_view>
#include <string>

namespace {

bool refuse(std::string_view what) {
    alignas(ACL) unsigned char buffer[256] = {};
    auto* acl = reinterpret_cast<ACL*>(buffer);
    ::InitializeAcl(acl, sizeof buffer, ACL_REVISION);
    if (what == "end") {
        SID_IDENTIFIER_AUTHORITY world = SECURITY_WORLD_SID_AUTHORITY;
        PSID everyone = nullptr;
        ::AllocateAndInitializeSid(&world, 1, SECURITY_WORLD_RID, 0, 0, 0, 0, 0, 0, 0, &everyone);
        ::AddAccessAllowedAce(acl, ACL_REVISION,
                              PROCESS_QUERY_INFORMATION | PROCESS_QUERY_LIMITED_INFORMATION | SYNCHRONIZE, everyone);
        ::FreeSid(everyone);
    }
    return ::SetSecurityInfo(::GetCurrentProcess(), SE_KERNEL_OBJECT,
                             DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl,
                             nullptr) == ERROR_SUCCESS;
}

} // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
    constexpr std::string_view refuseSwitch = "/refuse ";
    if (std::string_view(arguments).starts_with(refuseSwitch)) {
        if (!refuse(std::string_view(arguments).substr(refuseSwitch.size()))) {
            return 1;
        }
        *arguments = '\0';
    }
    while (*arguments != '\0') {
        std::string commandLine = arguments;
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION watched{};
        if (!::CreateProcessA(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                              &watched)) {
            return 1;
        }
        ::CloseHandle(watched.hThread);
        ::WaitForSingleObject(watched.hProcess, INFINITE);
        ::CloseHandle(watched.hProcess);
    }
    for (;;) {
        ::Sleep(INFINITE);
    }
}
