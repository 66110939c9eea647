#pragma once

// What the tests against the private MariaDB server share: how to reach it,
// settings that connect to it, a folder for the compiled scripts, and SQL run
// beside PHP with the mariadb client.
#include "support.h"

#include "scriptgen/compiler.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

class ServerFixture : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(e2e::ReadServer(ZESTREL_E2E_STATE_FILE, server_))
            << "no private server recorded in " ZESTREL_E2E_STATE_FILE "; run the tests through ctest, which starts it";
    }

    // Settings that connect to the server over TCP on loopback ("host:port").
    scriptgen::ScriptSettings Connected(scriptgen::Target target = scriptgen::Target::Classic) const
    {
        scriptgen::ScriptSettings s;
        s.target = target;
        s.useDatabase = true;
        s.host = "127.0.0.1:" + server_.port;
        s.userName = server_.user;
        s.password = server_.password;
        s.database = server_.database;
        return s;
    }

    // Compiles the settings and saves the script as Save Script does.
    std::filesystem::path SaveScript(const scriptgen::ScriptSettings& settings)
    {
        auto script = dir_.path() / ("script" + std::to_string(++scripts_) + ".php");
        e2e::WriteScript(script, scriptgen::CompileScript(settings));
        return script;
    }

    e2e::Table Query(const std::string& sql) const { return e2e::Query(ZESTREL_MARIADB_CLIENT, server_, sql); }

    std::filesystem::path File(const std::string& name) const { return dir_.path() / name; }

    e2e::Server server_;
    e2e::TempDir dir_;

private:
    int scripts_ = 0;
};
