#include "scriptgen/safe/values.h"

#include <algorithm>
#include <functional>

namespace scriptgen::safe {

namespace {

std::string_view Trim(std::string_view text)
{
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && blank(text.back()))
        text.remove_suffix(1);
    return text;
}

std::string_view WithoutQuotes(std::string_view box)
{
    if (box.size() >= 2 && box.front() == '\'' && box.back() == '\'')
        return box.substr(1, box.size() - 2);
    return box;
}

std::optional<unsigned> Port(std::string_view digits)
{
    if (digits.empty() || digits.size() > 5 ||
        !std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    unsigned port = 0;
    for (const char c : digits)
        port = port * 10 + static_cast<unsigned>(c - '0');
    if (port == 0 || port > 65535)
        return std::nullopt;
    return port;
}

Endpoint Problem(Issue issue, std::string_view detail = {})
{
    Endpoint endpoint;
    endpoint.problem = issue;
    endpoint.detail = std::string(detail);
    return endpoint;
}

} // namespace

FieldSet::FieldSet(const Lines& fieldList)
{
    std::size_t slots = 16;
    while (slots < 2 * fieldList.size())
        slots *= 2;
    order_.assign(slots, nullptr);
    fields_.reserve(fieldList.size()); // never reallocated: the slots point into it
    for (const std::string& line : fieldList) {
        if (line.empty())
            continue;
        const std::size_t slot = Slot(line);
        if (order_[slot] == nullptr) {
            fields_.push_back(line);
            order_[slot] = &fields_.back();
        }
    }
}

std::size_t FieldSet::Slot(std::string_view name) const
{
    const std::size_t mask = order_.size() - 1;
    std::size_t slot = std::hash<std::string_view>{}(name)&mask;
    while (order_[slot] != nullptr && *order_[slot] != name)
        slot = (slot + 1) & mask;
    return slot;
}

Value ResolveValue(std::string_view box, const FieldSet& fields)
{
    const std::string_view inner = WithoutQuotes(box);
    if (inner.size() > 1 && inner.front() == '$' && fields.Contains(inner.substr(1)))
        return {true, inner.substr(1)};
    return {false, box};
}

std::string_view MailField(std::string_view entry, const FieldSet& fields)
{
    if (entry.size() < 2 || entry.front() != '$' || !fields.Contains(entry.substr(1)))
        return {};
    return entry.substr(1);
}

std::string_view MissingField(std::string_view box, const FieldSet& fields)
{
    const std::string_view inner = WithoutQuotes(box);
    if (inner.size() < 2 || inner.front() != '$' || fields.Contains(inner.substr(1)))
        return {};
    if (std::any_of(inner.begin(), inner.end(), [](unsigned char c) { return c <= ' '; }))
        return {};
    return inner;
}

Endpoint ParseHost(std::string_view text)
{
    if (text.empty())
        return Problem(Issue::Empty);
    if (std::any_of(text.begin(), text.end(), [](unsigned char c) { return c <= ' '; }))
        return Problem(Issue::HostBlank);

    Endpoint endpoint;
    std::string_view rest; // what follows the host: empty, or ":" and a port or socket
    if (text.front() == '[') {
        const std::size_t close = text.find(']');
        if (close == std::string_view::npos || close == 1)
            return Problem(Issue::HostUnclosedBracket);
        endpoint.host = std::string(text.substr(0, close + 1));
        rest = text.substr(close + 1);
        if (!rest.empty() && rest.front() != ':')
            return Problem(Issue::HostAfterBracket);
    } else if (std::count(text.begin(), text.end(), ':') > 1) {
        // An IPv6 address without a port; mysqli wants it in brackets.
        endpoint.host = "[" + std::string(text) + "]";
    } else {
        const std::size_t colon = text.find(':');
        endpoint.host = std::string(text.substr(0, colon));
        if (colon != std::string_view::npos)
            rest = text.substr(colon);
        if (endpoint.host.empty())
            return Problem(Issue::HostNoServer, rest);
    }
    if (rest.empty())
        return endpoint;

    rest.remove_prefix(1);
    if (!rest.empty() && rest.front() == '/') {
        if (endpoint.host != "localhost")
            return Problem(Issue::HostSocketNotLocal, rest);
        endpoint.socket = std::string(rest);
        return endpoint;
    }
    endpoint.port = Port(rest);
    if (!endpoint.port)
        return Problem(Issue::HostBadPort);
    // mysqli reads "localhost" as the local socket and would ignore the port.
    if (endpoint.host == "localhost")
        endpoint.host = "127.0.0.1";
    return endpoint;
}

std::vector<std::string_view> SplitAddresses(std::string_view list)
{
    std::vector<std::string_view> addresses;
    std::size_t start = 0;
    while (true) {
        const std::size_t comma = list.find(',', start);
        addresses.push_back(Trim(list.substr(start, comma - start)));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    return addresses;
}

} // namespace scriptgen::safe
