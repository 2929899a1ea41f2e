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

} // namespace quellary
