#include "core/settingsfile.h"

#include "core/safefile.h"
#include "core/textrules.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSet>

#include <algorithm>
#include <unordered_map>

namespace zestrel {

namespace {

using scriptgen::Lines;
using scriptgen::ScriptSettings;

const QString kFormatKey = QStringLiteral("format");
const QString kVersionKey = QStringLiteral("version");

struct RuleTextKey {
    const char* key;
    std::string scriptgen::FieldRule::*member;
};
const RuleTextKey kRuleTexts[] = {
    {"field", &scriptgen::FieldRule::field},
    {"label", &scriptgen::FieldRule::label},
    {"type", &scriptgen::FieldRule::type},
    {"minLength", &scriptgen::FieldRule::minLength},
    {"maxLength", &scriptgen::FieldRule::maxLength},
    {"pattern", &scriptgen::FieldRule::pattern},
    {"title", &scriptgen::FieldRule::title},
    {"min", &scriptgen::FieldRule::min},
    {"max", &scriptgen::FieldRule::max},
    {"step", &scriptgen::FieldRule::step},
    {"accept", &scriptgen::FieldRule::accept},
    {"maxBytes", &scriptgen::FieldRule::maxBytes},
    {"maxFiles", &scriptgen::FieldRule::maxFiles},
};
struct RuleSwitchKey {
    const char* key;
    bool scriptgen::FieldRule::*member;
};
const RuleSwitchKey kRuleSwitches[] = {
    {"required", &scriptgen::FieldRule::required},
    {"multiple", &scriptgen::FieldRule::multiple},
};
const QString kChoicesKey = QStringLiteral("choices");
const QString kScriptPlaceKey = QStringLiteral("scriptFile");
const QString kFormPlaceKey = QStringLiteral("formPage");
const char* const kSecurityNames[] = {"starttls", "tls", "none"}; // in the order of SmtpServer::Security

// A file larger than this is no settings file, whatever it holds; reading it
// whole would only take the memory.
constexpr qint64 kLargestFile = qint64{256} * 1024 * 1024;

[[noreturn]] void Refuse(const QString& reason)
{
    throw SettingsFileError(QString(), reason);
}

QString Utf16(const std::string& text)
{
    return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

QString KindOf(const QJsonValue& value)
{
    switch (value.type()) {
    case QJsonValue::Null:
        return QStringLiteral("null");
    case QJsonValue::Bool:
        return QStringLiteral("true or false");
    case QJsonValue::Double:
        return QStringLiteral("a number");
    case QJsonValue::String:
        return QStringLiteral("text");
    case QJsonValue::Array:
        return QStringLiteral("a list");
    default:
        return QStringLiteral("a group of settings");
    }
}

QString Key(const QString& key)
{
    return QLatin1Char('"') + key + QLatin1Char('"');
}

QString KeyOf(const scriptgen::SettingInfo& info)
{
    return QString::fromLatin1(info.key.data(), static_cast<qsizetype>(info.key.size()));
}

template <typename Value> Value scriptgen::ScriptSettings::*MemberOf(const scriptgen::SettingInfo& info)
{
    return std::get<Value scriptgen::ScriptSettings::*>(info.member);
}

// Where a value stands in the file: a key, or a line of a key's list. Worded
// only when something is wrong there, as a file holds tens of thousands.
struct Place {
    const QString& key;
    qsizetype line = -1;

    QString Worded() const { return line < 0 ? Key(key) : QStringLiteral("%1, line %2,").arg(Key(key)).arg(line + 1); }
};

[[noreturn]] void WrongKind(const Place& place, const char* expected, const QJsonValue& value)
{
    Refuse(QStringLiteral("%1 should be %2, but the file holds %3")
               .arg(place.Worded(), QLatin1String(expected), KindOf(value)));
}

// A multi-line box starts a new line at these characters, so no line of a
// list may hold one.
bool SplitsALine(QChar c)
{
    return c == u'\n' || c == u'\r' || c == QChar::ParagraphSeparator || c == QChar(0xfdd0) || c == QChar(0xfdd1);
}

// Where a text is shown: a one-line box or cell takes no line break at all,
// a line of a multi-line box none that would start a new line.
enum class Shown { InOneLine, AsListLine };

std::string Text(const QJsonValue& value, const Place& place, Shown shown)
{
    if (!value.isString())
        WrongKind(place, "text", value);
    const QString text = value.toString();
    const bool broken = std::any_of(text.cbegin(), text.cend(), shown == Shown::InOneLine ? IsLineBreak : SplitsALine);
    if (broken)
        Refuse(QStringLiteral("%1 holds a line break, which its box cannot show").arg(place.Worded()));
    return text.toStdString();
}

Lines List(const QJsonValue& value, const QString& key, bool cells)
{
    if (!value.isArray())
        WrongKind({key}, "a list of texts", value);
    const QJsonArray array = value.toArray();
    Lines lines;
    lines.reserve(static_cast<std::size_t>(array.size()));
    for (qsizetype i = 0; i < array.size(); ++i)
        lines.push_back(Text(array[i], {key, i}, cells ? Shown::InOneLine : Shown::AsListLine));
    return lines;
}

bool Switch(const QJsonValue& value, const Place& place)
{
    if (!value.isBool())
        WrongKind(place, "true or false", value);
    return value.toBool();
}

// Why bytes that are not JSON are no settings file.
[[noreturn]] void RefuseUnreadable(const QByteArray& bytes, const QJsonParseError& error)
{
    const QByteArray start = bytes.left(64).trimmed();
    if (bytes.trimmed().isEmpty())
        Refuse(QStringLiteral("the file is empty, not a settings file"));
    if (!start.startsWith('{'))
        Refuse(QStringLiteral("it is not a settings file of Zestrel PHP Script Creator"));
    Refuse(
        QStringLiteral("the file is damaged or cut short (%1 at byte %2)").arg(error.errorString()).arg(error.offset));
}

// The rules of the fields of the list, in its order, one per field, as the
// window keeps them; rules of other names are left out.
std::vector<scriptgen::FieldRule> Rules(const QJsonValue& value, const QString& key, const Lines& fieldList)
{
    if (value.isUndefined())
        return {};
    if (!value.isArray())
        WrongKind({key}, "a list of rules", value);
    const QJsonArray array = value.toArray();
    std::unordered_map<std::string, scriptgen::FieldRule> byField;
    for (qsizetype i = 0; i < array.size(); ++i) {
        const Place place{key, i};
        if (!array[i].isObject())
            WrongKind(place, "a group of settings", array[i]);
        const QJsonObject object = array[i].toObject();
        scriptgen::FieldRule rule;
        // The field is a line of the field list; the rest are one-line cells.
        for (const RuleTextKey& text : kRuleTexts)
            if (const QJsonValue field = object.value(QLatin1String(text.key)); !field.isUndefined())
                rule.*text.member = Text(
                    field, place, text.member == &scriptgen::FieldRule::field ? Shown::AsListLine : Shown::InOneLine);
        for (const RuleSwitchKey& on : kRuleSwitches)
            if (const QJsonValue field = object.value(QLatin1String(on.key)); !field.isUndefined())
                rule.*on.member = Switch(field, place);
        if (const QJsonValue choices = object.value(kChoicesKey); !choices.isUndefined())
            rule.choices = List(choices, kChoicesKey, true);
        byField.try_emplace(rule.field, std::move(rule));
    }
    std::vector<scriptgen::FieldRule> rules;
    for (const std::string& field : fieldList) {
        const auto rule = byField.find(field);
        if (!field.empty() && rule != byField.end()) {
            rules.push_back(std::move(rule->second));
            byField.erase(rule);
        }
    }
    return rules;
}

QJsonValue SmtpJson(const std::optional<scriptgen::SmtpServer>& smtp)
{
    if (!smtp)
        return QJsonValue::Null;
    return QJsonObject{{QStringLiteral("host"), Utf16(smtp->host)}, {QStringLiteral("port"), smtp->port},
        {QStringLiteral("security"), QLatin1String(kSecurityNames[static_cast<int>(smtp->security)])},
        {QStringLiteral("userName"), Utf16(smtp->userName)}};
}

std::optional<scriptgen::SmtpServer> Smtp(const QJsonValue& value, const QString& key)
{
    if (value.isUndefined() || value.isNull())
        return std::nullopt;
    if (!value.isObject())
        WrongKind({key}, "a group of settings or null", value);
    const QJsonObject object = value.toObject();
    scriptgen::SmtpServer smtp;
    const Place place{key};
    if (const QJsonValue host = object.value(QStringLiteral("host")); !host.isUndefined())
        smtp.host = Text(host, place, Shown::InOneLine);
    if (const QJsonValue user = object.value(QStringLiteral("userName")); !user.isUndefined())
        smtp.userName = Text(user, place, Shown::InOneLine);
    if (const QJsonValue port = object.value(QStringLiteral("port")); !port.isUndefined()) {
        const double number = port.toDouble(-1);
        if (!port.isDouble() || number < 0 || number > 99999 || number != static_cast<double>(static_cast<int>(number)))
            WrongKind(place, "a port number", port);
        smtp.port = static_cast<int>(number);
    }
    if (const QJsonValue security = object.value(QStringLiteral("security")); !security.isUndefined()) {
        const auto* known = std::find_if(std::begin(kSecurityNames), std::end(kSecurityNames),
            [&security](const char* name) { return security == QJsonValue(QLatin1String(name)); });
        if (known == std::end(kSecurityNames))
            Refuse(QStringLiteral("%1 should name its security as \"starttls\", \"tls\" or \"none\"").arg(Key(key)));
        smtp.security = static_cast<scriptgen::SmtpServer::Security>(known - std::begin(kSecurityNames));
    }
    return smtp;
}

// A place as the file keeps it: relative to the settings file's folder when
// it lies inside, absolute otherwise, with "/" between folders on any system.
QString KeptPlace(const QString& place, const QString& settingsFile)
{
    if (place.isEmpty())
        return {};
    QString absolute = QDir::cleanPath(QFileInfo(place).absoluteFilePath());
    if (settingsFile.isEmpty())
        return absolute;
    const QString relative = QFileInfo(settingsFile).absoluteDir().relativeFilePath(absolute);
    const bool outside =
        relative == QLatin1String("..") || relative.startsWith(QLatin1String("../")) || QDir::isAbsolutePath(relative);
    return outside ? absolute : relative;
}

QString OpenedPlace(const QJsonObject& root, const QString& key, const QString& settingsFile)
{
    const QJsonValue value = root.value(key);
    if (value.isUndefined())
        return {};
    const QString kept = Utf16(Text(value, {key}, Shown::InOneLine));
    if (kept.isEmpty())
        return {};
    const QDir folder = settingsFile.isEmpty() ? QDir::current() : QFileInfo(settingsFile).absoluteDir();
    return QDir::cleanPath(folder.absoluteFilePath(kept));
}

void CheckFormat(const QJsonObject& root)
{
    if (root.value(kFormatKey) != QJsonValue(QLatin1String(kSettingsFormat)))
        Refuse(QStringLiteral("it is not a settings file of Zestrel PHP Script Creator"));
    const QJsonValue version = root.value(kVersionKey);
    const double number = version.toDouble(-1);
    if (!version.isDouble() || number < 1 || number != static_cast<double>(static_cast<qint64>(number)))
        Refuse(QStringLiteral("%1 should be a whole number from 1, but the file holds %2")
                   .arg(Key(kVersionKey), version.isDouble() ? QString::number(number) : KindOf(version)));
    if (number > kSettingsVersion)
        Refuse(QStringLiteral("it was saved in settings format %1 by a newer version of Zestrel PHP Script Creator; "
                              "this version reads format %2 and cannot show it: open it with the newer version")
                   .arg(QString::number(number))
                   .arg(kSettingsVersion));
}

} // namespace

SettingsFileError::SettingsFileError(const QString& path, const QString& reason)
    : std::runtime_error(
          (path.isEmpty() ? reason : QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), reason))
              .toStdString()),
      path_(path), reason_(reason)
{
}

QByteArray SettingsFileBytes(const ScriptSettings& settings, const FilePlaces& places, const QString& settingsFile)
{
    using scriptgen::SettingKind;
    QJsonObject root;
    root.insert(kFormatKey, QLatin1String(kSettingsFormat));
    root.insert(kVersionKey, kSettingsVersion);
    for (const scriptgen::SettingInfo& info : scriptgen::kSettingTable) {
        const QString key = KeyOf(info);
        switch (info.kind) {
        case SettingKind::Secret:
            break;
        case SettingKind::Text:
            root.insert(key, Utf16(settings.*MemberOf<std::string>(info)));
            break;
        case SettingKind::Lines:
        case SettingKind::Cells: {
            QJsonArray array;
            for (const std::string& line : settings.*MemberOf<Lines>(info))
                array.append(Utf16(line));
            root.insert(key, array);
            break;
        }
        case SettingKind::Switch:
            root.insert(key, settings.*MemberOf<bool>(info));
            break;
        case SettingKind::Target:
            root.insert(key,
                settings.*MemberOf<scriptgen::Target>(info) == scriptgen::Target::Safe ? QStringLiteral("safe")
                                                                                       : QStringLiteral("classic"));
            break;
        case SettingKind::Ticks: {
            QJsonArray ticked;
            for (const scriptgen::MailItem& item : settings.*MemberOf<std::vector<scriptgen::MailItem>>(info))
                ticked.append(item.checked);
            root.insert(key, ticked);
            break;
        }
        case SettingKind::Rules: {
            QJsonArray rules;
            for (const scriptgen::FieldRule& rule : settings.*MemberOf<std::vector<scriptgen::FieldRule>>(info)) {
                QJsonObject object;
                for (const RuleTextKey& text : kRuleTexts)
                    object.insert(QLatin1String(text.key), Utf16(rule.*text.member));
                for (const RuleSwitchKey& on : kRuleSwitches)
                    object.insert(QLatin1String(on.key), rule.*on.member);
                QJsonArray choices;
                for (const std::string& choice : rule.choices)
                    choices.append(Utf16(choice));
                object.insert(kChoicesKey, choices);
                rules.append(object);
            }
            root.insert(key, rules);
            break;
        }
        case SettingKind::Smtp:
            root.insert(key, SmtpJson(settings.*MemberOf<std::optional<scriptgen::SmtpServer>>(info)));
            break;
        }
    }
    root.insert(kScriptPlaceKey, KeptPlace(places.script, settingsFile));
    root.insert(kFormPlaceKey, KeptPlace(places.form, settingsFile));
    return QJsonDocument(root).toJson(QJsonDocument::Indented);
}

OpenedSettings ParseSettings(const QByteArray& bytes, const QString& settingsFile)
{
    QJsonParseError error{};
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError)
        RefuseUnreadable(bytes, error);
    if (!document.isObject())
        Refuse(QStringLiteral("it is not a settings file of Zestrel PHP Script Creator"));
    const QJsonObject root = document.object();
    CheckFormat(root);

    // A key the file lacks keeps the setting's empty default. The ticks of
    // the mail list and the rules follow the field list, read first.
    using scriptgen::SettingKind;
    OpenedSettings opened;
    ScriptSettings& s = opened.settings;
    QSet<QString> known{kFormatKey, kVersionKey, kScriptPlaceKey, kFormPlaceKey};
    opened.places = {OpenedPlace(root, kScriptPlaceKey, settingsFile), OpenedPlace(root, kFormPlaceKey, settingsFile)};
    for (const scriptgen::SettingInfo& info : scriptgen::kSettingTable) {
        const QString key = KeyOf(info);
        const QJsonValue value = root.value(key);
        if (info.kind == SettingKind::Secret)
            continue;
        known.insert(key);
        if (value.isUndefined() || info.kind == SettingKind::Ticks || info.kind == SettingKind::Rules)
            continue;
        switch (info.kind) {
        case SettingKind::Text:
            s.*MemberOf<std::string>(info) = Text(value, {key}, Shown::InOneLine);
            break;
        case SettingKind::Lines:
        case SettingKind::Cells:
            s.*MemberOf<Lines>(info) = List(value, key, info.kind == SettingKind::Cells);
            break;
        case SettingKind::Switch:
            s.*MemberOf<bool>(info) = Switch(value, {key});
            break;
        case SettingKind::Target:
            if (value != QJsonValue(QStringLiteral("classic")) && value != QJsonValue(QStringLiteral("safe")))
                Refuse(QStringLiteral("%1 should be \"classic\" or \"safe\"").arg(Key(key)));
            s.*MemberOf<scriptgen::Target>(info) =
                value.toString() == QStringLiteral("safe") ? scriptgen::Target::Safe : scriptgen::Target::Classic;
            break;
        case SettingKind::Smtp:
            s.*MemberOf<std::optional<scriptgen::SmtpServer>>(info) = Smtp(value, key);
            break;
        default:
            break;
        }
    }

    // The grid has one value cell per table field, and one before the first
    // field is typed; the mail list has one entry per line of the field list.
    // A file with more than those is damaged.
    const std::size_t cells = std::max<std::size_t>(s.insertFields.size(), 1);
    if (s.insertValues.size() > cells)
        Refuse(QStringLiteral("%1 has more values (%2) than %3 has fields (%4)")
                   .arg(Key(KeyOf(scriptgen::InfoOf(scriptgen::Setting::InsertValues))))
                   .arg(s.insertValues.size())
                   .arg(Key(KeyOf(scriptgen::InfoOf(scriptgen::Setting::InsertFields))))
                   .arg(s.insertFields.size()));
    if (s.insertValues.size() < s.insertFields.size())
        s.insertValues.resize(s.insertFields.size());
    const QString tickedKey = KeyOf(scriptgen::InfoOf(scriptgen::Setting::MailVariables));
    const QJsonValue tickedValue = root.value(tickedKey);
    const QJsonArray ticked = tickedValue.toArray();
    if (!tickedValue.isUndefined() && !tickedValue.isArray())
        WrongKind({tickedKey}, "a list of true or false", tickedValue);
    if (static_cast<std::size_t>(ticked.size()) > s.fieldList.size())
        Refuse(QStringLiteral("%1 has more ticks (%2) than %3 has lines (%4)")
                   .arg(Key(tickedKey))
                   .arg(ticked.size())
                   .arg(Key(KeyOf(scriptgen::InfoOf(scriptgen::Setting::FieldList))))
                   .arg(s.fieldList.size()));
    s.mailVariables.reserve(s.fieldList.size());
    for (std::size_t i = 0; i < s.fieldList.size(); ++i) {
        const auto index = static_cast<qsizetype>(i);
        const bool checked = index < ticked.size() && Switch(ticked[index], {tickedKey, index});
        s.mailVariables.push_back({"$" + s.fieldList[i], checked});
    }
    const QString rulesKey = KeyOf(scriptgen::InfoOf(scriptgen::Setting::FieldRules));
    s.fieldRules = Rules(root.value(rulesKey), rulesKey, s.fieldList);

    for (const QString& key : root.keys())
        if (!known.contains(key))
            opened.leftOut.append(key);
    return opened;
}

OpenedSettings ReadSettingsFile(const QString& path)
{
    const QFileInfo info(path);
    try {
        if (info.isSymLink() && !info.exists())
            Refuse(QStringLiteral("it is a symbolic link to \"%1\", which does not exist")
                       .arg(QDir::toNativeSeparators(LinkText(path))));
        if (info.isDir())
            Refuse(QStringLiteral("it is a folder, not a file"));
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            Refuse(file.errorString());
        if (file.size() > kLargestFile)
            Refuse(QStringLiteral("at %1 MB it is far too large to be a settings file").arg(file.size() >> 20));
        const QByteArray bytes = file.readAll();
        if (file.error() != QFileDevice::NoError)
            Refuse(file.errorString());
        return ParseSettings(bytes, path);
    } catch (const SettingsFileError& error) {
        throw SettingsFileError(path, error.reason());
    }
}

} // namespace zestrel
