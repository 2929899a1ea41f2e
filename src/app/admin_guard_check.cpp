#include "app/admin_guard.h"

#include "platform/security.h"

namespace quellary {

std::optional<MessageText> refusalFor(GuardedPart part, const std::string& path) {
    static const bool administrator = hasAdministratorRights();
    if (!administrator) {
        return std::nullopt;
    }
    FileError error;
    const std::optional<Protection> protection = protectionOf(path, &error);
    const std::vector<std::string> wrongs =
        protection ? othersMayChange(*protection)
                   : std::vector<std::string>{"its owner and access list could not be read: " + error.description};
    if (wrongs.empty()) {
        return std::nullopt;
    }
    return othersMayChangeMessage(part, path, wrongs);
}

} // namespace quellary
