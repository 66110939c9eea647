// Whatever is typed into the window, the safe script is valid PHP and sees
// the text exactly as typed. Hostile texts are random pieces with a fixed
// seed: quotes, backslashes, "$", "{$", "?>", "<?php", "*/", NUL, line
// breaks, bytes that are not UTF-8, and characters from every plane.
#include "support.h"

#include "randomsettings.h"
#include "scriptgen/compiler.h"
#include "scriptgen/safe/php.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace {

using scriptgen::Lines;
using scriptgen::ScriptSettings;

RandomSettings Hostile(unsigned seed)
{
    return RandomSettings(seed,
        {"'", "\\", "\\'", "$", "{$", "${", "?>", "<?php", "*/", "/*", "//", "#", "\"", "`", std::string(1, '\0'), "\r",
            "\n", "\r\n", "\t", "\x7f", "\xff", "\xc3", "\xed\xa0\x80", "é", "漢", "\xf0\x9f\x98\x80", "\xe2\x80\xa8",
            "%s", "<script>", "&amp;", " ", "a", "name", "$name"});
}

using e2e::Hex;

e2e::ProcessResult Lint(const std::filesystem::path& script)
{
    return e2e::Run({ZESTREL_PHP, "-n", "-l", script.string()}, {e2e::PathEntry()});
}

// Each hostile text, as the script writes it, read back by PHP itself.
TEST(SafeLiteralTest, PhpSeesEveryTextExactlyAsTyped)
{
    RandomSettings hostile = Hostile(20261208);
    Lines script = {"<?php"};
    std::string expected;
    for (int i = 0; i < 500; ++i) {
        const std::string text = hostile.Text();
        script.push_back("echo strtoupper(bin2hex(" + scriptgen::PhpString(text) + ")), \"\\n\";");
        expected += Hex(text) + "\n";
    }
    const e2e::TempDir dir;
    const auto file = dir.path() / "literals.php";
    e2e::WriteScript(file, script);
    const e2e::ProcessResult run = e2e::Run({ZESTREL_PHP, "-n", file.string()}, {e2e::PathEntry()});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.out, expected);
}

TEST(SafeLintTest, HostileSettingsGiveValidPhp)
{
    RandomSettings hostile = Hostile(8122026);
    const e2e::TempDir dir;
    for (int i = 0; i < 300; ++i) {
        ScriptSettings settings = hostile.Settings();
        settings.target = scriptgen::Target::Safe;
        settings.fieldList.push_back("name");
        if (i == 0) // one script with every section, whatever the draw
            settings.useDatabase = settings.sendMail = settings.insertRecord = settings.displayAll =
                settings.displaySpecific = settings.createTable = settings.dropTable = true;
        const Lines lines = scriptgen::CompileScript(settings);
        for (const std::string& line : lines)
            ASSERT_EQ(line.find_first_of("\r\n"), std::string::npos) << "case " << i << ": a line break in " << line;
        const auto file = dir.path() / ("hostile" + std::to_string(i) + ".php");
        e2e::WriteScript(file, lines);
        const e2e::ProcessResult lint = Lint(file);
        ASSERT_EQ(lint.exitCode, 0) << "case " << i << "\n" << lint.out << lint.err << e2e::ReadFile(file);
    }
}

} // namespace
