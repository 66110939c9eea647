// The key PHP files each posted control name under, predicted by PostedKey,
// checked against the real PHP: every name is posted on its own to a script
// that prints the keys of $_POST.
#include "support.h"

#include "scriptgen/postedname.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <vector>

namespace {

struct NameCase {
    std::string name;
    std::optional<std::string> key; // nothing: PHP drops the control
};

TEST(PostedNameTest, PredictsTheKeyOfTheRealPhp)
{
    const NameCase cases[] = {
        {"email", "email"},
        {"first name", "first_name"},
        {"e.mail", "e_mail"},
        {"e-mail", "e-mail"},
        {"2nd", "2nd"},
        {"prénom", "prénom"},
        {"  lead", "lead"},
        {"trail ", "trail_"},
        {"tab\tinside", "tab\tinside"},
        {"items[]", "items"},
        {"items[a]", "items"},
        {"grid[a][b]", "grid"},
        {"a b[c]", "a_b"},
        {"open[x", "open_x"},
        {"open[x.y z[w", "open_x_y_z_w"},
        {"e.[", "e__"},
        {"close]", "close]"},
        {std::string("cut\0off", 7), "cut"},
        {"[x]", std::nullopt},
        {"[x", std::nullopt},
        {"  [", std::nullopt},
        {" ", std::nullopt},
    };
    for (const NameCase& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(scriptgen::PostedKey(c.name), c.key);
        const std::vector<std::string> expected = c.key ? std::vector<std::string>{*c.key} : std::vector<std::string>{};
        EXPECT_EQ(e2e::PostedKeys(ZESTREL_PHP_CGI, {{c.name, "1"}}), expected);
    }
}

} // namespace
