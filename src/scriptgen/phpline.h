#pragma once

#include "scriptgen/settings.h"

#include <string>
#include <string_view>

// How lines of a script are built, and how text from the window enters a
// safe script: there every text stands as data, never as code. PHP gets it as
// a single-quoted literal and MySQL gets names in back-quotes, so no character
// can end the text early.
namespace scriptgen {

// Appends a PHP expression whose value is exactly the bytes of `text`: a
// single-quoted literal with backslash and quote escaped. Control characters
// (line breaks among them) are joined in as chr() calls, so a script line
// never holds one.
void AppendPhpString(std::string& out, std::string_view text);
std::string PhpString(std::string_view text);

// Appends a MySQL table or column name in back-quotes, each back-quote doubled.
void AppendSqlName(std::string& out, std::string_view name);
std::string SqlName(std::string_view name);

// One line of a script, classic or safe, assembled from code and literals:
// the one way every generator builds a line. The line is built in a buffer
// that keeps its capacity from line to line, so a finished line costs one
// allocation of its exact size and nobody sums lengths by hand. Lines are
// built one at a time; one begun while another is open gets a buffer of its
// own.
class PhpLine {
public:
    explicit PhpLine(std::string_view indent = {});
    ~PhpLine();
    PhpLine(const PhpLine&) = delete;
    PhpLine& operator=(const PhpLine&) = delete;

    // Code as it stands, in pieces.
    template <typename... Pieces> PhpLine& Code(const Pieces&... pieces)
    {
        (Put(pieces), ...);
        return *this;
    }
    PhpLine& String(std::string_view text)
    {
        AppendPhpString(line_, text);
        return *this;
    }
    // The finished line.
    std::string Take() const { return line_; }
    // The finished line, added to the script.
    void AddTo(Lines& out) const { out.push_back(line_); }

private:
    void Put(std::string_view piece) { line_ += piece; }
    void Put(char c) { line_ += c; }

    std::string& line_;
};

// The only test any generator applies to an entry of a list: does it hold a
// character?
inline bool HoldsText(std::string_view line)
{
    return !line.empty();
}

} // namespace scriptgen
