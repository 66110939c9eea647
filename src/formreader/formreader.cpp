#include "formreader/formreader.h"

#include "formreader/ascii.h"
#include "formreader/elements.h"
#include "formreader/encoding.h"
#include "formreader/rules.h"
#include "scriptgen/postedname.h"
#include "scriptgen/safe/check.h"

#include <gumbo.h>

#include <algorithm>
#include <optional>
#include <unordered_map>
#include <unordered_set>
#include <utility>

namespace formreader {

namespace {

// A parse tree together with the UTF-8 text it points into.
class Parse {
public:
    explicit Parse(std::string text) : text_(std::move(text))
    {
        options_ = kGumboDefaultOptions;
        options_.max_errors = 0; // the reader never looks at parse errors
        output_ = gumbo_parse_with_options(&options_, text_.data(), text_.size());
    }
    ~Parse() { gumbo_destroy_output(&options_, output_); }
    Parse(const Parse&) = delete;
    Parse& operator=(const Parse&) = delete;

    const std::string& text() const { return text_; }
    const GumboNode* root() const { return output_->document; }

private:
    std::string text_;
    GumboOptions options_{};
    GumboOutput* output_ = nullptr;
};

// Elements whose content the tokenizer reads as text, so that "</form>"
// inside them is text too.
bool HoldsRawText(const GumboNode* node)
{
    if (node == nullptr || node->type != GUMBO_NODE_ELEMENT)
        return false;
    switch (node->v.element.tag) {
    case GUMBO_TAG_SCRIPT:
    case GUMBO_TAG_STYLE:
    case GUMBO_TAG_TEXTAREA:
    case GUMBO_TAG_TITLE:
    case GUMBO_TAG_XMP:
    case GUMBO_TAG_IFRAME:
    case GUMBO_TAG_NOEMBED:
    case GUMBO_TAG_NOFRAMES:
    case GUMBO_TAG_PLAINTEXT:
        return true;
    default:
        return false;
    }
}

// The encoding declared by the first meta element that declares one.
std::optional<std::string_view> DeclaredCharset(const GumboNode* root)
{
    std::vector<const GumboNode*> pending{root};
    while (!pending.empty()) {
        const GumboNode* node = pending.back();
        pending.pop_back();
        const GumboVector* children = nullptr;
        if (node->type == GUMBO_NODE_DOCUMENT) {
            children = &node->v.document.children;
        } else if (node->type == GUMBO_NODE_ELEMENT) {
            const GumboElement& element = node->v.element;
            if (IsHtml(node, GUMBO_TAG_META)) {
                if (HasAttribute(element, "charset"))
                    return Attribute(element, "charset");
                if (EqualsIgnoringCase(Attribute(element, "http-equiv"), "content-type")) {
                    const std::string_view label = CharsetInContent(Attribute(element, "content"));
                    if (!label.empty())
                        return label;
                }
            }
            children = &element.children;
        }
        if (children)
            for (unsigned i = children->length; i-- > 0;)
                pending.push_back(static_cast<const GumboNode*>(children->data[i]));
    }
    return std::nullopt;
}

// Only markup up to the end of the tag that holds the last "charset" can
// declare the encoding; 0 when the word is nowhere.
std::size_t DeclarationReach(std::string_view bytes)
{
    constexpr std::string_view kWord = "charset";
    if (bytes.size() < kWord.size())
        return 0;
    for (std::size_t at = bytes.size() - kWord.size() + 1; at-- > 0;) {
        if (AsciiLower(bytes[at]) == 'c' && EqualsIgnoringCase(bytes.substr(at, kWord.size()), kWord)) {
            const std::size_t close = bytes.find('>', at);
            return close == std::string_view::npos ? bytes.size() : close + 1;
        }
    }
    return 0;
}

// The encoding of a page without a byte-order mark: the first declaration
// of a meta element, else UTF-8 when the bytes are valid UTF-8, else
// windows-1252. A declared label this reader does not know goes to
// `unknownLabel`; the page is then read as windows-1252.
Encoding EncodingOfPage(std::string_view bytes, std::string& unknownLabel)
{
    if (const std::size_t reach = DeclarationReach(bytes); reach > 0) {
        // Markup is ASCII in every encoding this reader knows, so the
        // declaration reads the same before the page is converted.
        const Parse head{std::string(bytes.substr(0, reach))};
        if (const std::optional<std::string_view> declared = DeclaredCharset(head.root())) {
            const Encoding named = EncodingOfLabel(*declared);
            if (named == Encoding::Unsupported)
                unknownLabel = TrimBlanks(*declared);
            // A page cannot truly declare UTF-16 in its own ASCII markup.
            return named == Encoding::Utf16LE || named == Encoding::Utf16BE ? Encoding::Utf8 : named;
        }
    }
    return IsValidUtf8(bytes) ? Encoding::Utf8 : Encoding::Windows1252;
}

struct Control {
    const GumboNode* node;
    const GumboElement* element;
    int ancestorForm; // the nearest form around it in the tree, or -1
};

// What one walk over the tree collects, in tree order.
struct Survey {
    std::vector<const GumboNode*> forms;
    std::vector<Control> controls;
    std::unordered_map<std::string_view, const GumboNode*> firstWithId;
    LabelsFor labelsFor;
    // Stretches of the text that hold no end tag of their own: start tags,
    // comments, raw text and select elements, sorted by where they begin.
    std::vector<std::pair<std::size_t, std::size_t>> quiet;
    bool anyTag = false;
};

void Cover(Survey& survey, std::size_t from, std::size_t length)
{
    survey.quiet.emplace_back(from, from + length);
}

// From an element's start tag to its end (and its end tag, if asked). An
// element whose end the parser did not record covers nothing.
void CoverElement(Survey& survey, const GumboElement& element, bool withEndTag)
{
    const std::size_t start = element.start_pos.offset;
    const std::size_t end = element.end_pos.offset + (withEndTag ? element.original_end_tag.length : 0);
    Cover(survey, start, end > start ? end - start : 0);
}

// Joins overlapping stretches (a select holds start tags of its own), so
// that a binary search finds the one stretch around an offset.
void MergeQuietStretches(Survey& survey)
{
    auto& quiet = survey.quiet;
    std::sort(quiet.begin(), quiet.end());
    std::size_t kept = 0;
    for (const auto& stretch : quiet) {
        if (kept > 0 && stretch.first <= quiet[kept - 1].second)
            quiet[kept - 1].second = std::max(quiet[kept - 1].second, stretch.second);
        else
            quiet[kept++] = stretch;
    }
    quiet.resize(kept);
}

Survey Walk(const GumboNode* root)
{
    Survey survey;
    std::vector<std::pair<const GumboNode*, int>> pending{{root, -1}};
    while (!pending.empty()) {
        const auto [node, ancestorForm] = pending.back();
        pending.pop_back();
        const GumboVector* children = nullptr;
        int formOfChildren = ancestorForm;
        switch (node->type) {
        case GUMBO_NODE_DOCUMENT:
            children = &node->v.document.children;
            break;
        case GUMBO_NODE_TEMPLATE:
        case GUMBO_NODE_ELEMENT: {
            const GumboElement& element = node->v.element;
            if (element.original_tag.length > 0) {
                survey.anyTag = true;
                Cover(survey, element.start_pos.offset, element.original_tag.length);
            }
            const std::string_view id = Attribute(element, "id");
            if (!id.empty())
                survey.firstWithId.try_emplace(id, node);
            if (node->type == GUMBO_NODE_TEMPLATE) {
                // Template contents are inert: never submitted, and the
                // parser keeps its form bookkeeping out of them.
                CoverElement(survey, element, true);
                break;
            }
            if (IsHtml(node, GUMBO_TAG_FORM)) {
                formOfChildren = static_cast<int>(survey.forms.size());
                survey.forms.push_back(node);
            } else if (IsHtml(node, GUMBO_TAG_INPUT) || IsHtml(node, GUMBO_TAG_SELECT) ||
                IsHtml(node, GUMBO_TAG_TEXTAREA)) {
                survey.controls.push_back({node, &element, ancestorForm});
            } else if (IsHtml(node, GUMBO_TAG_LABEL) && HasAttribute(element, "for")) {
                survey.labelsFor.try_emplace(Attribute(element, "for"), node);
            }
            // The parser ignores "</form>" inside a select.
            if (IsHtml(node, GUMBO_TAG_SELECT))
                CoverElement(survey, element, false);
            children = &element.children;
            break;
        }
        case GUMBO_NODE_COMMENT:
        case GUMBO_NODE_CDATA:
            Cover(survey, node->v.text.start_pos.offset, node->v.text.original_text.length);
            break;
        case GUMBO_NODE_TEXT:
        case GUMBO_NODE_WHITESPACE:
            // Ordinary text may span end tags the parser dropped; only raw
            // text is sure to hold none.
            if (HoldsRawText(node->parent))
                Cover(survey, node->v.text.start_pos.offset, node->v.text.original_text.length);
            break;
        }
        if (children)
            for (unsigned i = children->length; i-- > 0;)
                pending.emplace_back(static_cast<const GumboNode*>(children->data[i]), formOfChildren);
    }
    MergeQuietStretches(survey);
    return survey;
}

bool InQuietStretch(const Survey& survey, std::size_t offset)
{
    const auto after = std::upper_bound(survey.quiet.begin(), survey.quiet.end(), offset,
        [](std::size_t at, const std::pair<std::size_t, std::size_t>& stretch) { return at < stretch.first; });
    return after != survey.quiet.begin() && offset < std::prev(after)->second;
}

// Where the parser meets an end tag "</form>", in text order. There it
// forgets the form it was filling, even when the tag closes nothing: controls
// after a form opened inside a table belong to it up to that point.
std::vector<std::size_t> FormEndTags(std::string_view text, const Survey& survey)
{
    std::vector<std::size_t> found;
    const std::size_t lastClose = text.rfind('>');
    for (std::size_t at = text.find("</"); at != std::string_view::npos; at = text.find("</", at + 2)) {
        // "</form" and the character that ends the tag name; a tag the end of
        // the file cuts off is no tag.
        if (lastClose == std::string_view::npos || at + 6 > lastClose)
            break;
        const char after = text[at + 6];
        if (EqualsIgnoringCase(text.substr(at + 2, 4), "form") &&
            (IsAsciiBlank(after) || after == '/' || after == '>') && !InQuietStretch(survey, at))
            found.push_back(at);
    }
    return found;
}

// The form each control belongs to, as a browser decides: the form its form
// attribute names by id; else the form the parser was filling when it met
// the control; else the nearest form around it. -1 for none.
std::vector<int> Owners(const Survey& survey, std::string_view text)
{
    std::unordered_map<const GumboNode*, int> formIndex;
    std::vector<std::pair<std::size_t, int>> formStarts; // in text order
    for (std::size_t i = 0; i < survey.forms.size(); ++i) {
        formIndex.emplace(survey.forms[i], static_cast<int>(i));
        formStarts.emplace_back(survey.forms[i]->v.element.start_pos.offset, static_cast<int>(i));
    }
    std::sort(formStarts.begin(), formStarts.end());
    const std::vector<std::size_t> endTags = FormEndTags(text, survey);

    std::vector<int> owners;
    owners.reserve(survey.controls.size());
    for (const Control& control : survey.controls) {
        if (HasAttribute(*control.element, "form")) {
            const auto named = survey.firstWithId.find(Attribute(*control.element, "form"));
            const bool isForm = named != survey.firstWithId.end() && IsHtml(named->second, GUMBO_TAG_FORM);
            owners.push_back(isForm ? formIndex.at(named->second) : -1);
            continue;
        }
        const std::size_t at = control.element->start_pos.offset;
        const auto next = std::upper_bound(formStarts.begin(), formStarts.end(), at,
            [](std::size_t offset, const std::pair<std::size_t, int>& start) { return offset < start.first; });
        if (next != formStarts.begin()) {
            const auto [formAt, form] = *std::prev(next);
            const auto end = std::upper_bound(endTags.begin(), endTags.end(), formAt);
            if (end == endTags.end() || at < *end) {
                owners.push_back(form);
                continue;
            }
        }
        owners.push_back(control.ancestorForm);
    }
    return owners;
}

// A list of names, each kept once, in the order first met.
class NameList {
public:
    bool add(std::string_view name)
    {
        if (!seen_.emplace(name).second)
            return false;
        names_.emplace_back(name);
        return true;
    }
    std::vector<std::string> take() { return std::move(names_); }

private:
    std::vector<std::string> names_;
    std::unordered_set<std::string> seen_;
};

bool IsPhpVariableName(std::string_view name)
{
    const auto letter = [](char c) {
        return c == '_' || (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || static_cast<unsigned char>(c) >= 0x80;
    };
    const auto letterOrDigit = [&letter](char c) { return letter(c) || (c >= '0' && c <= '9'); };
    return !name.empty() && letter(name.front()) && std::all_of(name.begin() + 1, name.end(), letterOrDigit) &&
        name != "this" && name != "GLOBALS";
}

// Whether PHP files the control's values as an array: its name has a "["
// that a "]" closes, as in topics[].
bool SendsList(std::string_view name)
{
    const std::size_t open = name.find('[');
    return open != std::string_view::npos && name.find(']', open + 1) != std::string_view::npos;
}

bool BeyondAscii(std::string_view text)
{
    return std::any_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

// The encoding browsers send the form in: the first encoding its
// accept-charset names that this reader knows, else the page's. UTF-16 pages
// send UTF-8.
Encoding SubmissionEncoding(const GumboElement& form, Encoding page)
{
    std::string_view labels = Attribute(form, "accept-charset");
    while (!labels.empty()) {
        const std::size_t end = std::min(labels.size(),
            static_cast<std::size_t>(std::find_if(labels.begin(), labels.end(), IsAsciiBlank) - labels.begin()));
        const Encoding named = EncodingOfLabel(labels.substr(0, end));
        if (named != Encoding::Unsupported) {
            page = named;
            break;
        }
        labels.remove_prefix(std::min(labels.size(), end + 1));
    }
    return page == Encoding::Utf16LE || page == Encoding::Utf16BE ? Encoding::Utf8 : page;
}

std::string UnnamedDescription(const GumboElement& control, std::string_view type)
{
    if (control.tag == GUMBO_TAG_INPUT)
        return "input type=\"" + std::string(type) + "\"";
    return control.tag == GUMBO_TAG_SELECT ? "select" : "textarea";
}

class FormBuilder {
public:
    FormBuilder(
        const GumboElement& element, Encoding submission, std::string_view encodingName, const LabelsFor& labels)
        : element_(element), submission_(submission), encodingName_(encodingName), labels_(labels)
    {
        form_.id = Attribute(element, "id");
        form_.name = Attribute(element, "name");
        form_.action = Attribute(element, "action");
    }

    void add(const GumboNode* node)
    {
        const GumboElement& control = node->v.element;
        const std::string type = control.tag == GUMBO_TAG_INPUT ? InputType(control) : std::string();
        if (type == "submit" || type == "reset" || type == "button" || type == "image")
            return;
        const std::string_view name = Attribute(control, "name");
        if (name.empty()) {
            unnamed_.push_back(UnnamedDescription(control, type));
            return;
        }
        if (type == "file")
            files_.add(name);
        if (controlNames_.add(name))
            form_.controlNames.emplace_back(name);
        const std::optional<std::string> key = scriptgen::PostedKey(name);
        if (!key || key->find_first_of("\r\n") != std::string::npos) {
            ignored_.add(name);
            return;
        }
        if (scriptgen::IsSpamTrap(*key)) {
            form_.spamTrap = *key;
            return;
        }
        if (*key != name.substr(0, name.find('[')))
            renamed_.add(name);
        // Several ticked check boxes of one name, or a list that lets the
        // visitor pick several entries, send several values under one key.
        if (!SendsList(name) &&
            ((type == "checkbox" && !checkBoxes_.add(*key)) ||
                ((control.tag == GUMBO_TAG_SELECT || type == "file") && HasAttribute(control, "multiple"))))
            lastValueOnly_.add(name);
        scriptgen::FieldRule rule = RuleOf(control, type, *key, SendsList(name));
        if (!fields_.add(*key)) {
            Labelled& field = rules_[ruleOf_.at(*key)];
            Combine(field.rule, rule);
            ++field.controls;
            return;
        }
        ruleOf_.emplace(*key, rules_.size());
        rules_.push_back({std::move(rule), OwnLabel(node, labels_), Legend(node), 1});
        form_.fields.push_back(*key);
        if (!IsPhpVariableName(*key))
            notVariables_.add(*key);
        if (submission_ != Encoding::Utf8 && BeyondAscii(*key))
            notUtf8_.add(*key);
    }

    Form finish() &&
    {
        if (!HasAttribute(element_, "method"))
            warn(Warning::Kind::NoMethod);
        else if (const std::string_view method = Attribute(element_, "method"); !EqualsIgnoringCase(method, "post"))
            warn(Warning::Kind::NotPost, std::string(method));
        if (EqualsIgnoringCase(Attribute(element_, "enctype"), "text/plain"))
            warn(Warning::Kind::PlainTextBody);
        // Without both, browsers send only the names of the chosen files.
        const bool posted = EqualsIgnoringCase(Attribute(element_, "method"), "post");
        const bool multipart = EqualsIgnoringCase(Attribute(element_, "enctype"), "multipart/form-data");
        if (!posted || !multipart)
            warnAbout(Warning::Kind::FileInputs, files_.take(),
                posted ? "enctype=\"multipart/form-data\"" : "method=\"post\" enctype=\"multipart/form-data\"");
        warnAbout(Warning::Kind::UnnamedFields, std::move(unnamed_));
        warnAbout(Warning::Kind::IgnoredNames, ignored_.take());
        warnAbout(Warning::Kind::RenamedNames, renamed_.take());
        warnAbout(Warning::Kind::LastValueOnly, lastValueOnly_.take());
        warnAbout(Warning::Kind::NotVariableNames, notVariables_.take());
        warnAbout(Warning::Kind::NotUtf8Names, notUtf8_.take(), std::string(encodingName_));
        // The legend names a radio group or check boxes: the labels of its
        // boxes name the choices, unless there is only the one box.
        for (Labelled& field : rules_) {
            const bool boxes = field.rule.type == "radio" || field.rule.type == "checkbox";
            field.rule.label = boxes && (!field.legend.empty() || field.controls > 1) ? field.legend : field.label;
            form_.rules.push_back(std::move(field.rule));
        }
        return std::move(form_);
    }

private:
    static std::string InputType(const GumboElement& input)
    {
        std::string type(Attribute(input, "type"));
        std::transform(type.begin(), type.end(), type.begin(), [](char c) { return AsciiLower(c); });
        return type.empty() ? "text" : type;
    }

    void warn(Warning::Kind kind, std::string detail = {}) { form_.warnings.push_back({kind, std::move(detail), {}}); }

    // A warning about names is given only when there are names.
    void warnAbout(Warning::Kind kind, std::vector<std::string> names, std::string detail = {})
    {
        if (!names.empty())
            form_.warnings.push_back({kind, std::move(detail), std::move(names)});
    }

    // A field's rules and the names the form gives it, until the form ends.
    struct Labelled {
        scriptgen::FieldRule rule;
        std::string label; // its first control's own label
        std::string legend; // the legend around its first control
        int controls = 0;
    };

    const GumboElement& element_;
    Encoding submission_;
    std::string_view encodingName_;
    const LabelsFor& labels_;
    Form form_;
    std::vector<Labelled> rules_; // in the order of the fields
    std::unordered_map<std::string, std::size_t> ruleOf_;
    NameList controlNames_;
    NameList fields_;
    NameList files_;
    std::vector<std::string> unnamed_;
    NameList ignored_;
    NameList renamed_;
    NameList checkBoxes_; // keys of the check boxes met so far
    NameList lastValueOnly_;
    NameList notVariables_;
    NameList notUtf8_;
};

} // namespace

Page ReadForms(std::string_view bytes)
{
    Page page;
    const ByteOrderMark mark = ByteOrderMarkOf(bytes);
    Encoding encoding = mark.encoding;
    std::string text;
    if (mark.length > 0) {
        text = ToUtf8(bytes.substr(mark.length), encoding);
    } else {
        encoding = EncodingOfPage(bytes, page.encoding);
        // ASCII text reads the same in every encoding this reader knows.
        text = encoding == Encoding::Utf8 || !BeyondAscii(bytes) ? std::string(bytes) : ToUtf8(bytes, encoding);
    }
    if (text.find('\0') != std::string::npos)
        return page;
    if (page.encoding.empty())
        page.encoding = EncodingName(encoding);
    const Parse parse(std::move(text));

    const Survey survey = Walk(parse.root());
    page.isHtml = survey.anyTag;
    std::vector<FormBuilder> builders;
    builders.reserve(survey.forms.size());
    for (const GumboNode* form : survey.forms)
        builders.emplace_back(
            form->v.element, SubmissionEncoding(form->v.element, encoding), page.encoding, survey.labelsFor);
    const std::vector<int> owners = Owners(survey, parse.text());
    for (std::size_t i = 0; i < survey.controls.size(); ++i)
        if (owners[i] >= 0)
            builders[static_cast<std::size_t>(owners[i])].add(survey.controls[i].node);
    for (FormBuilder& builder : builders)
        page.forms.push_back(std::move(builder).finish());
    return page;
}

} // namespace formreader
