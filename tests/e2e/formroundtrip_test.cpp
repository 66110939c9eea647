// Every form of the test pages posted to the real PHP: the field list the
// reader gives names exactly the keys PHP files the posted fields under, in
// PHP's order. Names go out in UTF-8, the encoding of the saved script.
#include "support.h"

#include "formreader/formreader.h"
#include "scriptgen/safe/check.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

TEST(FormRoundTripTest, FieldListNamesExactlyThePostedKeys)
{
    int pages = 0;
    for (const auto& entry : std::filesystem::directory_iterator(ZESTREL_FORMS_DIR)) {
        SCOPED_TRACE(entry.path().filename().string());
        const formreader::Page page = formreader::ReadForms(e2e::ReadFile(entry.path()));
        ASSERT_FALSE(page.forms.empty());
        for (const formreader::Form& form : page.forms) {
            e2e::Form posted;
            for (const std::string& name : form.controlNames)
                posted.emplace_back(name, "value");
            // The spam trap is posted too, but the script checks it by itself.
            std::vector<std::string> keys = e2e::PostedKeys(ZESTREL_PHP_CGI, posted);
            std::erase_if(keys, scriptgen::IsSpamTrap);
            EXPECT_EQ(keys, form.fields);
        }
        ++pages;
    }
    EXPECT_GE(pages, 6);
}

} // namespace
