#include "app/admin_guard.h"

#include "app/task_list.h"
#include "termination/kill_command.h"

namespace quellary {

MessageText othersMayChangeMessage(GuardedPart part, std::string_view path, const std::vector<std::string>& wrongs) {
    const char* what = part == GuardedPart::ProgramFolder ? "folder"
                       : part == GuardedPart::KillTool    ? "kill tool"
                                                          : "task list";
    const char* risk = part == GuardedPart::ProgramFolder ? "run programs that they put there"
                       : part == GuardedPart::KillTool    ? "run whatever program they put in its place"
                                                          : "end whatever tasks they list in it";
    std::string prompt = "Quellary runs with administrator rights, but other users may change its ";
    prompt.append(what).append("\r\n    ").append(path);
    for (const std::string& wrong : wrongs) {
        prompt.append("\r\n    ").append(wrong);
    }
    prompt.append("\r\nWith these rights it would ").append(risk).append(", so nothing was done.");
    prompt.append("\r\nInstall Quellary through its package, into C:\\Program Files\\Quellary, or close its folder, ");
    prompt.append(killToolName).append(" and ").append(taskListFileName);
    prompt.append(" to other users: only SYSTEM, Administrators, TrustedInstaller and the account that runs Quellary "
                  "may write them, delete them, change their access lists or take ownership of them.");
    return {prompt, {}};
}

} // namespace quellary
