#include "core/fieldrulesmodel.h"

#include "core/textrules.h"

#include <algorithm>
#include <unordered_map>
#include <unordered_set>

namespace zestrel {

namespace {

using scriptgen::FieldRule;

QString FromUtf8(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

// The text cells, each bound to its member of the rule.
std::string FieldRule::*TextMember(int column)
{
    switch (column) {
    case FieldRulesModel::Label:
        return &FieldRule::label;
    case FieldRulesModel::Type:
        return &FieldRule::type;
    case FieldRulesModel::MinLength:
        return &FieldRule::minLength;
    case FieldRulesModel::MaxLength:
        return &FieldRule::maxLength;
    case FieldRulesModel::Pattern:
        return &FieldRule::pattern;
    case FieldRulesModel::Hint:
        return &FieldRule::title;
    case FieldRulesModel::Min:
        return &FieldRule::min;
    case FieldRulesModel::Max:
        return &FieldRule::max;
    case FieldRulesModel::Step:
        return &FieldRule::step;
    case FieldRulesModel::Accept:
        return &FieldRule::accept;
    case FieldRulesModel::MaxBytes:
        return &FieldRule::maxBytes;
    case FieldRulesModel::MaxFiles:
        return &FieldRule::maxFiles;
    default:
        return nullptr;
    }
}

bool FieldRule::*SwitchMember(int column)
{
    return column == FieldRulesModel::Required ? &FieldRule::required
        : column == FieldRulesModel::Multiple  ? &FieldRule::multiple
                                               : nullptr;
}

} // namespace

void FieldRulesModel::setFields(const QStringList& lines)
{
    std::unordered_map<std::string, FieldRule> kept;
    for (FieldRule& rule : rows_)
        kept.emplace(rule.field, std::move(rule));
    std::vector<FieldRule> rows;
    std::unordered_set<std::string> seen;
    for (const QString& line : lines) {
        std::string field = line.toStdString();
        if (field.empty() || !seen.insert(field).second)
            continue;
        const auto known = kept.find(field);
        if (known != kept.end()) {
            rows.push_back(std::move(known->second));
        } else {
            rows.emplace_back();
            rows.back().field = std::move(field);
        }
    }
    beginResetModel();
    rows_ = std::move(rows);
    endResetModel();
}

void FieldRulesModel::setRules(const std::vector<FieldRule>& rules)
{
    std::unordered_map<std::string, const FieldRule*> given;
    for (const FieldRule& rule : rules)
        given.emplace(rule.field, &rule);
    beginResetModel();
    for (FieldRule& row : rows_) {
        const auto rule = given.find(row.field);
        FieldRule fresh;
        fresh.field = std::move(row.field);
        row = std::move(fresh);
        if (rule != given.end())
            row = *rule->second;
    }
    endResetModel();
}

int FieldRulesModel::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(rows_.size());
}

int FieldRulesModel::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : kColumns;
}

QVariant FieldRulesModel::data(const QModelIndex& index, int role) const
{
    if (!index.isValid() || index.row() >= rowCount())
        return {};
    const FieldRule& rule = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (bool FieldRule::*member = SwitchMember(column))
        return role == Qt::CheckStateRole ? QVariant(rule.*member ? Qt::Checked : Qt::Unchecked) : QVariant();
    if (role != Qt::DisplayRole && role != Qt::EditRole)
        return {};
    if (column == Field)
        return FromUtf8(rule.field);
    if (column == Choices) {
        // One choice per line to edit, where an empty line is the empty
        // value (a list's "Choose one" entry); in the table, in a row.
        QStringList choices;
        for (const std::string& choice : rule.choices)
            choices.append(role == Qt::DisplayRole && choice.empty() ? QStringLiteral("\"\"") : FromUtf8(choice));
        return choices.join(role == Qt::EditRole ? QStringLiteral("\n") : QStringLiteral(" | "));
    }
    return FromUtf8(rule.*TextMember(column));
}

bool FieldRulesModel::setData(const QModelIndex& index, const QVariant& value, int role)
{
    if (!index.isValid() || index.row() >= rowCount() ||
        !(flags(index) & (Qt::ItemIsEditable | Qt::ItemIsUserCheckable)))
        return false;
    FieldRule& rule = rows_[static_cast<std::size_t>(index.row())];
    const int column = index.column();
    if (bool FieldRule::*member = SwitchMember(column)) {
        if (role != Qt::CheckStateRole)
            return false;
        rule.*member = value.value<Qt::CheckState>() == Qt::Checked;
    } else if (role != Qt::EditRole) {
        return false;
    } else if (column == Choices) {
        // Empty lines after the last value are only where typing ended.
        QStringList lines = value.toString().split(QLatin1Char('\n'));
        while (!lines.isEmpty() && lines.back().isEmpty())
            lines.removeLast();
        rule.choices.clear();
        for (const QString& line : lines)
            if (const std::string choice = line.toStdString();
                std::find(rule.choices.begin(), rule.choices.end(), choice) == rule.choices.end())
                rule.choices.push_back(choice);
    } else {
        // One line, as in every one-line box of the window.
        rule.*TextMember(column) = FlattenLineBreaks(value.toString()).toStdString();
    }
    emit dataChanged(index, index);
    return true;
}

Qt::ItemFlags FieldRulesModel::flags(const QModelIndex& index) const
{
    if (!index.isValid())
        return Qt::NoItemFlags;
    const Qt::ItemFlags base = Qt::ItemIsEnabled | Qt::ItemIsSelectable;
    if (index.column() == Field)
        return base;
    if (SwitchMember(index.column()))
        return base | Qt::ItemIsUserCheckable;
    return base | Qt::ItemIsEditable;
}

QVariant FieldRulesModel::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return QAbstractTableModel::headerData(section, orientation, role);
    static const char* const kTitles[kColumns] = {"Field", "Label", "Required", "Type", "Min length", "Max length",
        "Pattern", "Pattern hint", "Min", "Max", "Step", "Allowed values", "Several", "File types", "Max bytes a file",
        "Max files"};
    return section >= 0 && section < kColumns ? QString::fromLatin1(kTitles[section]) : QVariant();
}

} // namespace zestrel
