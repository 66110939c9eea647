#pragma once

// Random settings with a fixed seed: every box, list and switch drawn from
// the given pieces of text, for tests that must hold whatever is typed.
#include "scriptgen/settings.h"

#include <random>
#include <string>
#include <utility>
#include <vector>

class RandomSettings {
public:
    RandomSettings(unsigned seed, std::vector<std::string> pieces) : pieces_(std::move(pieces)), rng_(seed) {}

    // Empty a quarter of the time, otherwise 1 to 12 pieces.
    std::string Text()
    {
        std::string text;
        const std::size_t length = Pick(0, 3) == 0 ? 0 : Pick(1, 12);
        for (std::size_t i = 0; i < length; ++i)
            text += pieces_[Pick(0, pieces_.size() - 1)];
        return text;
    }

    scriptgen::Lines List()
    {
        scriptgen::Lines lines(Pick(0, 8));
        for (std::string& line : lines)
            line = Text();
        return lines;
    }

    bool Flip() { return Pick(0, 1) == 1; }

    scriptgen::ScriptSettings Settings()
    {
        scriptgen::ScriptSettings s;
        s.fieldList = List();
        for (bool* task : {&s.useDatabase, &s.sendMail, &s.insertRecord, &s.displayAll, &s.displaySpecific,
                 &s.createTable, &s.dropTable})
            *task = Flip();
        for (std::string* box : {&s.host, &s.userName, &s.password, &s.database, &s.recipient, &s.subject, &s.sender,
                 &s.successPage, &s.failurePage, &s.insertTable, &s.displayAllTable, &s.displaySpecificTable,
                 &s.whereField, &s.whereValue, &s.createTableName, &s.dropTableName})
            *box = Text();
        for (const std::string& field : s.fieldList)
            s.mailVariables.push_back({"$" + field, Flip()});
        for (scriptgen::Lines* list :
            {&s.insertFields, &s.insertValues, &s.displayAllFields, &s.displaySpecificFields, &s.createTableFields})
            *list = List();
        return s;
    }

private:
    std::size_t Pick(std::size_t low, std::size_t high)
    {
        return std::uniform_int_distribution<std::size_t>(low, high)(rng_);
    }

    std::vector<std::string> pieces_;
    std::mt19937 rng_;
};
