#include "platform/protection.h"

#include <algorithm>
#include <utility>

namespace quellary {

namespace {

bool trusted(Party party) {
    return party != Party::Other;
}

// What the rights let an account do, in the words of the message; generic rights count as what they stand for.
std::vector<std::string> deeds(std::uint32_t mask) {
    if ((mask & rights::genericAll) != 0) {
        mask = ~std::uint32_t{0};
    }
    if ((mask & rights::genericWrite) != 0) {
        mask |= rights::writeData | rights::appendData | rights::writeExtended | rights::writeAttributes;
    }
    std::vector<std::string> words;
    if ((mask & (rights::writeData | rights::appendData | rights::writeExtended | rights::writeAttributes)) != 0) {
        words.emplace_back("write it");
    }
    if ((mask & rights::deleteObject) != 0) {
        words.emplace_back("delete it");
    }
    if ((mask & rights::deleteChild) != 0) {
        words.emplace_back("delete what it holds");
    }
    if ((mask & rights::writeAccessList) != 0) {
        words.emplace_back("change its access list");
    }
    if ((mask & rights::writeOwner) != 0) {
        words.emplace_back("take ownership of it");
    }
    return words;
}

std::string joined(const std::vector<std::string>& words) {
    std::string text;
    for (std::size_t i = 0; i < words.size(); ++i) {
        text += i == 0 ? "" : i + 1 == words.size() ? " and " : ", ";
        text += words[i];
    }
    return text;
}

} // namespace

std::vector<std::string> othersMayChange(const Protection& protection) {
    std::vector<std::string> lines;
    if (protection.noAccessList) {
        lines.emplace_back("it has no access list, so everybody may change it");
    }
    // The owner may always change the access list, whatever it says.
    if (!trusted(protection.owner)) {
        lines.push_back("its owner is " + protection.ownerName + ", who may change its access list");
    }
    // One line per account, its entries' rights together, in the order the list names them.
    std::vector<std::pair<std::string, std::uint32_t>> others;
    for (const Grant& grant : protection.grants) {
        if (trusted(grant.party)) {
            continue;
        }
        const auto same = [&](const auto& other) { return other.first == grant.name; };
        if (const auto found = std::find_if(others.begin(), others.end(), same); found != others.end()) {
            found->second |= grant.rights;
        } else {
            others.emplace_back(grant.name, grant.rights);
        }
    }
    for (const auto& [name, mask] : others) {
        if (const std::vector<std::string> words = deeds(mask); !words.empty()) {
            lines.push_back(name + " may " + joined(words));
        }
    }
    return lines;
}

std::vector<std::string> othersMayReplaceWhatItHolds(const Protection& folder) {
    constexpr std::uint32_t replacing =
        rights::deleteChild | rights::deleteObject | rights::writeAccessList | rights::writeOwner;
    Protection narrowed = folder;
    for (Grant& grant : narrowed.grants) {
        grant.rights = ((grant.rights & rights::genericAll) != 0 ? ~std::uint32_t{0} : grant.rights) & replacing;
    }
    return othersMayChange(narrowed);
}

std::string readablePath(std::string_view finalPath) {
    if (finalPath.starts_with("\\\\?\\UNC\\")) {
        return "\\\\" + std::string(finalPath.substr(8));
    }
    if (finalPath.starts_with("\\\\?\\")) {
        return std::string(finalPath.substr(4));
    }
    return std::string(finalPath);
}

std::vector<std::string> foldersAbove(std::string_view path) {
    // The root's length with its backslash: "C:\" or "\\server\share\".
    std::size_t root = 0;
    if (path.starts_with("\\\\")) {
        const std::size_t server = path.find('\\', 2);
        const std::size_t share = server == std::string_view::npos ? server : path.find('\\', server + 1);
        root = share == std::string_view::npos ? path.size() : share + 1;
    } else if (path.size() >= 3 && path[1] == ':' && path[2] == '\\') {
        root = 3;
    }
    std::vector<std::string> folders;
    std::string_view rest = path;
    while (root != 0 && rest.size() > root) {
        while (rest.size() > root && rest.back() == '\\') {
            rest.remove_suffix(1);
        }
        const std::size_t slash = rest.find_last_of('\\');
        if (rest.size() <= root || slash == std::string_view::npos) {
            break;
        }
        rest = rest.substr(0, std::max(slash, root));
        folders.emplace_back(rest);
    }
    return folders;
}

} // namespace quellary
