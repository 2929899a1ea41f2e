#include "app/admin_guard.h"

#include "platform/security.h"

#include <set>

namespace quellary {

namespace {

std::vector<std::string> wrongsOf(const std::optional<Protection>& protection, const FileError& error,
                                  std::vector<std::string> (*rule)(const Protection&)) {
    return protection ? rule(*protection)
                      : std::vector<std::string>{"its owner and access list could not be read: " + error.description};
}

} // namespace

std::optional<MessageText> refusalFor(GuardedPart part, const std::string& path) {
    static const bool administrator = hasAdministratorRights();
    if (!administrator) {
        return std::nullopt;
    }
    FileError error;
    std::string finalPath;
    const std::optional<Protection> protection = protectionOf(path, &error, &finalPath);
    std::vector<std::string> wrongs = wrongsOf(protection, error, othersMayChange);
    // Where it really lies decides which folders above could replace it: untold, none of them can be cleared.
    if (protection && finalPath.empty()) {
        wrongs.emplace_back("the folder it really lies in could not be told, so the folders above it were not checked");
    }
    // Whoever may replace a folder above it may replace it, wherever the path leads. The parts share their folders,
    // and a folder found closed, with every one above it, is not read again.
    static std::set<std::string> closed;
    const std::vector<std::string> above = foldersAbove(finalPath);
    for (const std::string& folder : above) {
        if (closed.contains(folder)) {
            break;
        }
        FileError folderError;
        for (const std::string& wrong :
             wrongsOf(protectionOf(folder, &folderError), folderError, othersMayReplaceWhatItHolds)) {
            wrongs.emplace_back(folder).append(": ").append(wrong);
        }
    }
    if (wrongs.empty()) {
        closed.insert(finalPath);
        closed.insert(above.begin(), above.end());
        return std::nullopt;
    }
    return othersMayChangeMessage(part, path, wrongs);
}

} // namespace quellary
