// The reader's warnings in plain words, for the person who wrote the form.
#include "formreader/formreader.h"

#include "scriptgen/postedname.h"

#include <algorithm>

namespace formreader {

namespace {

std::string Quoted(std::string_view text)
{
    return "\"" + std::string(text) + "\"";
}

// The items, each as `format` writes it, separated by commas.
template <typename Format> std::string List(const std::vector<std::string>& items, Format format)
{
    std::string list;
    for (const std::string& item : items) {
        if (!list.empty())
            list += ", ";
        list += format(item);
    }
    return list;
}

std::string QuotedList(const std::vector<std::string>& names)
{
    return List(names, Quoted);
}

std::string Renamings(const std::vector<std::string>& names)
{
    return List(names, [](const std::string& name) {
        return Quoted(name) + " arrives as " + Quoted(scriptgen::PostedKey(name).value_or(""));
    });
}

// The example of a name that sends a list: the first name with [] added, but
// a name with a "[" that no "]" closes goes first and takes PHP's key, since
// [] added to a[b would close its "[" (PHP files a[b[] under "a", key "b[",
// still one value).
std::string ListExample(const std::vector<std::string>& names)
{
    const auto stray = std::find_if(names.begin(), names.end(), [](const std::string& name) {
        const std::size_t open = name.find('[');
        return open != std::string::npos && name.find(']', open + 1) == std::string::npos;
    });
    if (stray == names.end())
        return names.front() + "[]";
    return scriptgen::PostedKey(*stray).value_or(*stray) + "[]";
}

std::string PlainList(const std::vector<std::string>& items)
{
    return List(items, [](const std::string& item) { return item; });
}

} // namespace

std::string Describe(const Warning& warning)
{
    using Kind = Warning::Kind;
    switch (warning.kind) {
    case Kind::NoMethod:
        return "The form names no method, so browsers send it with GET, but the script reads posted fields only: "
               "add method=\"post\" to the form tag.";
    case Kind::NotPost:
        return "The form's method is " + Quoted(warning.detail) +
            ", so browsers do not post it, but the script reads posted fields only: make it method=\"post\".";
    case Kind::PlainTextBody:
        return "The form sends its fields as plain text (enctype=\"text/plain\"), which PHP does not put into "
               "$_POST: remove the enctype attribute.";
    case Kind::FileInputs:
        return "The form sends only the names of the files chosen in " + QuotedList(warning.names) +
            ", not the files: add " + warning.detail + " to its form tag.";
    case Kind::UnnamedFields:
        return "Skipped " + std::to_string(warning.names.size()) + (warning.names.size() == 1 ? " field" : " fields") +
            " without a name, which browsers never send: " + PlainList(warning.names) +
            ". Give each one a name=\"...\" in the form if the script must read it.";
    case Kind::IgnoredNames:
        return "Left out names that PHP ignores or that hold a line break: " + QuotedList(warning.names) +
            ". Rename these fields in the form if the script must read them.";
    case Kind::RenamedNames:
        return "PHP renames these fields, so the field list holds the names the script receives: " +
            Renamings(warning.names) + ".";
    case Kind::LastValueOnly:
        return "These fields can send several values, but PHP keeps only the last: add [] to their names in the "
               "form, as in name=\"" +
            ListExample(warning.names) + "\": " + QuotedList(warning.names) + ".";
    case Kind::NotVariableNames:
        return "These names cannot be PHP variables, so the classic script will not run until the fields are "
               "renamed (letters, digits and _ only, not beginning with a digit), while the safe script (\"Safe "
               "script for PHP 8\") takes them as they are: " +
            QuotedList(warning.names) + ".";
    case Kind::NotUtf8Names:
        return "Browsers send this form in " + warning.detail + ", but the saved script reads names in UTF-8, so " +
            QuotedList(warning.names) + " will not arrive: add accept-charset=\"UTF-8\" to the form tag.";
    }
    return {};
}

} // namespace formreader
