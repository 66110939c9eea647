#pragma once

// A safe script that mails the posted field "f" under one rule, posted to the
// real PHP: what it answers, and whether it mailed.
#include "support.h"

#include "scriptgen/settings.h"

#include <gtest/gtest.h>

#include <string>

namespace e2e {

// A mail-only safe script for the field "f" and its rule, and a field "g"
// without rules that every post carries, so that a post without "f" is
// still a post of the form.
scriptgen::ScriptSettings WithRule(const scriptgen::FieldRule& rule);

struct Posted {
    int status = 0;
    std::string body;
    std::string headers;
    std::string errors;
    bool mailed = false;
};

class RulesTest : public testing::Test {
protected:
    // Compiles the settings, posts the form (and "g") from a fresh address
    // to the script through php-cgi, and captures the mail.
    Posted Post(const scriptgen::ScriptSettings& settings, const Form& form);

private:
    TempDir dir_;
    int count_ = 0;
};

} // namespace e2e
