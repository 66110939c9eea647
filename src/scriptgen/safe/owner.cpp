#include "scriptgen/safe/sections.h"

#include <crypt.h>

#include <cstdlib>
#include <stdexcept>

namespace scriptgen::safe {

namespace {

// bcrypt's cost, as PHP's password_hash has it by default up to PHP 8.3:
// about 50 ms per guess on a current processor, for the script as for an
// attacker.
constexpr unsigned long kCost = 10;

} // namespace

std::string OwnerHash(std::string_view password)
{
    if (password.empty())
        return {};
    // The salt is drawn from the system's random source.
    char* setting = crypt_gensalt_ra("$2y$", kCost, nullptr, 0);
    if (!setting)
        throw std::runtime_error("The owner password cannot be hashed: the system gives no random salt.");
    void* data = nullptr;
    int size = 0;
    const char* hash = crypt_ra(std::string(password).c_str(), setting, &data, &size);
    // A failed crypt gives a text that starts with "*" and that no password
    // matches.
    std::string result = hash && hash[0] == '$' ? hash : "";
    std::free(setting);
    std::free(data);
    if (result.empty())
        throw std::runtime_error("The owner password cannot be hashed on this system.");
    return result;
}

} // namespace scriptgen::safe
