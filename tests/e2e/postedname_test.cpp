// The key PHP files each posted control name under, predicted by PostedKey,
// checked against the real PHP: every name is posted on its own to a script
// that prints the keys of $_POST.
#include "support.h"

#include "scriptgen/postedname.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace {

struct NameCase {
    std::string name;
    std::optional<std::string> key; // nothing: PHP drops the control
};

class PostedNameTest : public testing::Test {
protected:
    static std::string PostedKeys(const std::string& name)
    {
        const e2e::TempDir dir;
        const auto script = dir.path() / "keys.php";
        e2e::WriteFile(script, "<?php echo implode(\"\\n\", array_keys($_POST));");
        e2e::CgiRequest request;
        request.body = e2e::UrlEncode(name) + "=1";
        const e2e::CgiResponse response = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
        EXPECT_EQ(response.errors, "");
        return response.body;
    }
};

TEST_F(PostedNameTest, PredictsTheKeyOfTheRealPhp)
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
        EXPECT_EQ(PostedKeys(c.name), c.key.value_or(""));
    }
}

} // namespace
