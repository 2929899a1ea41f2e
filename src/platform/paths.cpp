#include "platform/paths.h"

namespace quellary {

std::string executableName(std::string_view path) {
    const std::size_t slash = path.find_last_of("\\/");
    std::string_view name = slash == std::string_view::npos ? path : path.substr(slash + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string_view::npos) {
        name = name.substr(0, dot);
    }
    return std::string(name);
}

std::string withTrailingBackslash(std::string_view directory) {
    std::string result(directory);
    if (result.empty() || result.back() != '\\') {
        result.push_back('\\');
    }
    return result;
}

} // namespace quellary
