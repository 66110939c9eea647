#include "scriptgen/postedname.h"

#include <algorithm>

namespace scriptgen {

bool KeptAsNamed(std::string_view name)
{
    return !name.empty() &&
        std::none_of(name.begin(), name.end(), [](char c) { return c == ' ' || c == '.' || c == '[' || c == '\0'; });
}

std::optional<std::string> PostedKey(std::string_view name)
{
    if (KeptAsNamed(name))
        return std::string(name);

    name = name.substr(0, name.find('\0'));
    name.remove_prefix(std::min(name.find_first_not_of(' '), name.size()));

    std::string key;
    key.reserve(name.size());
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == ' ' || c == '.') {
            key.push_back('_');
        } else if (c == '[') {
            if (key.empty())
                return std::nullopt;
            if (name.find(']', i + 1) != std::string_view::npos)
                return key;
            key.push_back('_');
            for (const char rest : name.substr(i + 1))
                key.push_back(rest == ' ' || rest == '.' || rest == '[' ? '_' : rest);
            return key;
        } else {
            key.push_back(c);
        }
    }
    if (key.empty())
        return std::nullopt;
    return key;
}

} // namespace scriptgen
