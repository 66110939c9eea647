// The table of the form's rules: its rows follow the field list and keep the
// rules of names still listed; each cell stores what the user typed as the
// script reads it.
#include "core/fieldrulesmodel.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using zestrel::FieldRulesModel;

scriptgen::FieldRule Labelled(const std::string& field, const std::string& label)
{
    scriptgen::FieldRule rule;
    rule.field = field;
    rule.label = label;
    return rule;
}

// Each row as field:label.
std::vector<std::string> Rows(const FieldRulesModel& model)
{
    std::vector<std::string> rows;
    for (const scriptgen::FieldRule& rule : model.rules())
        rows.push_back(rule.field + ":" + rule.label);
    return rows;
}

TEST(FieldRulesModelTest, RowsFollowTheFieldList)
{
    const struct {
        const char* name;
        QStringList lines;
        std::vector<std::string> rows;
    } cases[] = {
        {"the same list", {"name", "email"}, {"name:Your name", "email:E-mail"}},
        {"reordered", {"email", "name"}, {"email:E-mail", "name:Your name"}},
        {"a new name gets an empty row", {"name", "phone", "email"}, {"name:Your name", "phone:", "email:E-mail"}},
        {"a removed name's row goes", {"email"}, {"email:E-mail"}},
        {"empty lines and repeats give no row", {"", "name", "name", "", "email"}, {"name:Your name", "email:E-mail"}},
        {"a name is its line exactly", {"Name", "email "}, {"Name:", "email :"}},
        {"an empty list", {}, {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FieldRulesModel model;
        model.setFields({"name", "email"});
        model.setRules({Labelled("email", "E-mail"), Labelled("name", "Your name"), Labelled("gone", "Gone")});
        ASSERT_EQ(Rows(model), (std::vector<std::string>{"name:Your name", "email:E-mail"}));
        model.setFields(c.lines);
        EXPECT_EQ(Rows(model), c.rows);
        EXPECT_EQ(model.rowCount(), static_cast<int>(c.rows.size()));
    }
}

// The columns carry their titles; rows, however many, carry only their
// numbers, and other roles nothing of the model's own.
TEST(FieldRulesModelTest, TitlesOnlyWhereTheyBelong)
{
    const struct {
        const char* name;
        Qt::Orientation orientation;
        int section;
        int role;
        QVariant title;
    } cases[] = {
        {"the first column", Qt::Horizontal, FieldRulesModel::Field, Qt::DisplayRole, QString("Field")},
        {"the last column", Qt::Horizontal, FieldRulesModel::Multiple, Qt::DisplayRole, QString("Several")},
        {"a column's tooltip", Qt::Horizontal, FieldRulesModel::Field, Qt::ToolTipRole, QVariant()},
        {"row 1", Qt::Vertical, 0, Qt::DisplayRole, 1},
        {"row 40, beyond the columns", Qt::Vertical, 39, Qt::DisplayRole, 40},
    };
    FieldRulesModel model;
    QStringList fields;
    for (int i = 0; i < 40; ++i)
        fields.append(QString("f%1").arg(i));
    model.setFields(fields);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(model.headerData(c.section, c.orientation, c.role), c.title);
    }
}

TEST(FieldRulesModelTest, NewRulesReplaceEveryRow)
{
    FieldRulesModel model;
    model.setFields({"name", "email"});
    model.setRules({Labelled("name", "Your name"), Labelled("email", "E-mail")});
    model.setRules({Labelled("email", "Address")});
    EXPECT_EQ(Rows(model), (std::vector<std::string>{"name:", "email:Address"}));
}

TEST(FieldRulesModelTest, CellsStoreWhatWasTyped)
{
    const struct {
        const char* name;
        int column;
        QVariant typed;
        int role;
        bool taken;
        std::string stored; // the label, type or pattern; the choices joined by |; the switches as 0 or 1
        QString shown; // the cell's text in the table
    } cases[] = {
        {"a label", FieldRulesModel::Label, "Your name", Qt::EditRole, true, "Your name", "Your name"},
        {"a label typed over lines", FieldRulesModel::Label, "Your\nname", Qt::EditRole, true, "Your name",
            "Your name"},
        {"a pattern as typed", FieldRulesModel::Pattern, "[a-z]+\\d", Qt::EditRole, true, "[a-z]+\\d", "[a-z]+\\d"},
        {"choices, one per line", FieldRulesModel::Choices, "order\ncake", Qt::EditRole, true, "order|cake",
            "order | cake"},
        {"choices, the empty first value kept", FieldRulesModel::Choices, "\norder\ncake", Qt::EditRole, true,
            "|order|cake", "\"\" | order | cake"},
        {"choices, empty lines at the end dropped", FieldRulesModel::Choices, "order\n\n\n", Qt::EditRole, true,
            "order", "order"},
        {"choices, repeats once", FieldRulesModel::Choices, "a\nb\na", Qt::EditRole, true, "a|b", "a | b"},
        {"no choices", FieldRulesModel::Choices, "", Qt::EditRole, true, "", ""},
        {"required ticked", FieldRulesModel::Required, Qt::Checked, Qt::CheckStateRole, true, "1", ""},
        {"several ticked", FieldRulesModel::Multiple, Qt::Checked, Qt::CheckStateRole, true, "1", ""},
        {"a switch takes no text", FieldRulesModel::Required, "yes", Qt::EditRole, false, "0", ""},
        {"the field's name is not edited here", FieldRulesModel::Field, "other", Qt::EditRole, false, "name", "name"},
        {"a text cell takes no tick", FieldRulesModel::Label, Qt::Checked, Qt::CheckStateRole, false, "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FieldRulesModel model;
        model.setFields({"name"});
        const QModelIndex cell = model.index(0, c.column);
        EXPECT_EQ(model.setData(cell, c.typed, c.role), c.taken);
        const scriptgen::FieldRule& rule = model.rules().front();
        std::string stored;
        switch (c.column) {
        case FieldRulesModel::Field:
            stored = rule.field;
            break;
        case FieldRulesModel::Label:
            stored = rule.label;
            break;
        case FieldRulesModel::Pattern:
            stored = rule.pattern;
            break;
        case FieldRulesModel::Choices:
            for (const std::string& choice : rule.choices)
                stored += (&choice == &rule.choices.front() ? "" : "|") + choice;
            break;
        case FieldRulesModel::Required:
            stored = rule.required ? "1" : "0";
            break;
        default:
            stored = rule.multiple ? "1" : "0";
        }
        EXPECT_EQ(stored, c.stored);
        EXPECT_EQ(cell.data(Qt::DisplayRole).toString(), c.shown);
        EXPECT_EQ(bool(model.flags(cell) & Qt::ItemIsEditable),
            c.column != FieldRulesModel::Field && c.column != FieldRulesModel::Required &&
                c.column != FieldRulesModel::Multiple);
    }
}

} // namespace
