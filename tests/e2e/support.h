#pragma once

// Helpers shared by the end-to-end tests: running a program with a given
// input and environment, temporary folders, and files written the way the
// program saves a script.
#include "scriptgen/settings.h"

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <sys/types.h>
#include <utility>
#include <vector>

namespace e2e {

struct ProcessResult {
    int exitCode = -1; // the exit status, or -1 when the program did not exit normally
    std::string out;
    std::string err;
    long peakKiB = 0; // the program's peak resident memory
    double seconds = 0; // from its start to its end
};

// Runs `argv[0]` (a full path) with exactly the environment `env` (KEY=VALUE
// entries), feeding `input` to its standard input.
ProcessResult Run(
    const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& input = {});

// The PATH of this process, as a KEY=VALUE entry for a child's environment.
std::string PathEntry();

// A fresh folder under the system's temporary directory, removed with all its
// contents when the object goes.
class TempDir {
public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string ReadFile(const std::filesystem::path& file);
void WriteFile(const std::filesystem::path& file, const std::string& text);

// Writes the lines as Save Script does: each line followed by CR LF.
void WriteScript(const std::filesystem::path& file, const scriptgen::Lines& lines);

// The bytes as upper-case hexadecimal digits, as MySQL's HEX() shows them.
std::string Hex(std::string_view bytes);

// Text as a page shows it: &, <, >, " and ' escaped as htmlspecialchars
// escapes them.
std::string HtmlText(std::string_view text);

// The bytes in base64, as an Authorization header carries them.
std::string Base64(std::string_view bytes);

// What each RFC 2047 encoded word of the form =?UTF-8?B?...?= in `text`
// stands for, decoded from base64 on its own, in order.
std::vector<std::string> EncodedWords(std::string_view text);

// A value as the mail carries it: each of its further lines indented, so
// that none passes for a line of another field.
std::string MailValue(std::string_view value);

// A posted form, its fields in the order a browser sends them.
using Form = std::vector<std::pair<std::string, std::string>>;

// application/x-www-form-urlencoded, as a browser encodes a form.
std::string UrlEncode(const std::string& text);
std::string EncodeForm(const Form& form);

// A part of a multipart/form-data post: a field, or a file when it has a
// file name (an empty one: a file input with no file chosen).
struct Part {
    std::string name;
    std::string content;
    std::optional<std::string> fileName = std::nullopt;
    std::string type = "application/octet-stream";
};
inline constexpr const char* kBoundary = "----zestrelBoundary7MA4YWxkTrZu0gW";
// The body a browser sends, parted by kBoundary.
std::string EncodeMultipart(const std::vector<Part>& parts);

// One request to a script, run the way a web server runs it through CGI.
struct CgiRequest {
    std::string method = "POST";
    std::string body;
    std::string contentType = "application/x-www-form-urlencoded";
    std::vector<std::string> ini; // php.ini settings, NAME=VALUE
    bool noIniFiles = false; // PHP without its ini files, and so without the extensions they load
    std::vector<std::string> env; // further CGI variables (HTTP_ORIGIN=...), KEY=VALUE
};

struct CgiResponse {
    int exitCode = -1;
    std::string headers; // the header lines PHP sent, CR LF separated
    std::string body;
    std::string errors; // PHP's warnings and errors
};

// Runs `script` with the php-cgi program `phpCgi`; PHP's own messages go to
// the errors, never into the page.
CgiResponse RunCgi(const std::string& phpCgi, const std::filesystem::path& script, const CgiRequest& request);

// PHP's built-in web server on a free port of `listen` ("127.0.0.1",
// "[::]"), serving the folder, for as long as the object lives; port() is 0
// when it did not start.
class PhpServer {
public:
    PhpServer(const std::string& php, const std::string& listen, const std::filesystem::path& folder,
        const std::vector<std::string>& ini);
    ~PhpServer();
    PhpServer(const PhpServer&) = delete;
    PhpServer& operator=(const PhpServer&) = delete;
    int port() const { return port_; }

private:
    pid_t pid_ = -1;
    int port_ = 0;
};

// Apache with PHP-FPM behind it, as shared hosts run PHP, serving `folder`
// on a free loopback port: mod_proxy_fcgi hands each .php file to a private
// php-fpm pool. Both run from a folder of their own and are stopped by the
// destructor. Under root, Apache's children run as www-data, which must be
// able to reach `folder`. port() is 0 when either did not start; why() then
// says what they logged.
class ApacheFpm {
public:
    ApacheFpm(const std::filesystem::path& folder, const std::vector<std::string>& ini);
    ~ApacheFpm();
    ApacheFpm(const ApacheFpm&) = delete;
    ApacheFpm& operator=(const ApacheFpm&) = delete;
    int port() const { return port_; }
    std::string why() const;
    static bool Installed(); // Debian's apache2 and php-fpm

private:
    TempDir run_;
    pid_t apache_ = -1, fpm_ = -1;
    int port_ = 0;
};

struct HttpResponse {
    int status = 0;
    std::map<std::string, std::string> headers; // by name as sent
    std::string body;
};

// One HTTP/1.0 request to 127.0.0.1:port: the request line, the header lines
// and a body sent as a form.
HttpResponse Http(int port, const std::string& method, const std::string& path, const std::vector<std::string>& headers,
    const std::string& body = {});

// The private MariaDB server that the CTest set-up step started.
struct Server {
    std::string socket, port, user, password, database;
};

// The KEY=VALUE lines of a state file that a start-up script wrote; empty
// when there is none.
std::map<std::string, std::string> ReadState(const std::string& stateFile);

// Reads how to reach the server from the state file; false when none runs.
bool ReadServer(const std::string& stateFile, Server& server);

// Result rows, each the texts of its fields.
using Table = std::vector<std::vector<std::string>>;

// Runs SQL as the test user over the server's socket with the `mariadb`
// client at `client`, independently of PHP. Throws when the client fails.
Table Query(const std::string& client, const Server& server, const std::string& sql);

// The keys of $_POST, in PHP's order, when `form` is posted to a script run
// by `phpCgi`. Throws when PHP reports an error.
std::vector<std::string> PostedKeys(const std::string& phpCgi, const Form& form);

} // namespace e2e
