#include "support.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cctype>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <map>
#include <netinet/in.h>
#include <sstream>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

namespace e2e {

namespace {

// An unnamed temporary file: the child writes into it, the parent reads it
// back after the child has ended. Files rather than pipes, so that a child
// that writes much to both streams can never block on a full pipe.
struct Scratch {
    std::FILE* file = std::tmpfile();
    Scratch()
    {
        if (!file)
            throw std::runtime_error(std::string("tmpfile: ") + std::strerror(errno));
    }
    ~Scratch() { std::fclose(file); }
    Scratch(const Scratch&) = delete;
    Scratch& operator=(const Scratch&) = delete;
    int fd() const { return fileno(file); }

    std::string Contents() const
    {
        std::string text;
        std::rewind(file);
        char buffer[4096];
        std::size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, file)) > 0)
            text.append(buffer, n);
        return text;
    }
};

std::vector<char*> CStrings(const std::vector<std::string>& strings)
{
    std::vector<char*> result;
    result.reserve(strings.size() + 1);
    for (const std::string& s : strings)
        result.push_back(const_cast<char*>(s.c_str()));
    result.push_back(nullptr);
    return result;
}

} // namespace

ProcessResult Run(const std::vector<std::string>& argv, const std::vector<std::string>& env, const std::string& input)
{
    Scratch in, out, err;
    if (!input.empty() && std::fwrite(input.data(), 1, input.size(), in.file) != input.size())
        throw std::runtime_error("cannot write the child's input");
    std::fflush(in.file);
    std::rewind(in.file);

    std::vector<char*> args = CStrings(argv);
    std::vector<char*> envp = CStrings(env);
    const auto start = std::chrono::steady_clock::now();
    const pid_t pid = fork();
    if (pid < 0)
        throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
    if (pid == 0) {
        if (dup2(in.fd(), 0) < 0 || dup2(out.fd(), 1) < 0 || dup2(err.fd(), 2) < 0)
            _exit(126);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    while (wait4(pid, &status, 0, &usage) < 0)
        if (errno != EINTR)
            throw std::runtime_error(std::string("wait4: ") + std::strerror(errno));
    ProcessResult result;
    result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    result.peakKiB = usage.ru_maxrss;
    result.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    result.out = out.Contents();
    result.err = err.Contents();
    return result;
}

std::string PathEntry()
{
    const char* path = std::getenv("PATH");
    return std::string("PATH=") + (path && *path ? path : "/usr/bin:/bin");
}

TempDir::TempDir()
{
    std::string pattern = (std::filesystem::temp_directory_path() / "zestrel-e2e-test.XXXXXX").string();
    if (!mkdtemp(pattern.data()))
        throw std::runtime_error(std::string("mkdtemp: ") + std::strerror(errno));
    path_ = pattern;
}

TempDir::~TempDir()
{
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string ReadFile(const std::filesystem::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

void WriteFile(const std::filesystem::path& file, const std::string& text)
{
    std::ofstream stream(file, std::ios::binary | std::ios::trunc);
    stream << text;
    if (!stream.flush())
        throw std::runtime_error("cannot write " + file.string());
}

void WriteScript(const std::filesystem::path& file, const scriptgen::Lines& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text.append(line).append("\r\n");
    WriteFile(file, text);
}

std::string Hex(std::string_view bytes)
{
    static const char* digits = "0123456789ABCDEF";
    std::string hex;
    hex.reserve(2 * bytes.size());
    for (const unsigned char c : bytes) {
        hex.push_back(digits[c >> 4]);
        hex.push_back(digits[c & 15]);
    }
    return hex;
}

std::string HtmlText(std::string_view text)
{
    std::string html;
    for (const char c : text) {
        switch (c) {
        case '&':
            html += "&amp;";
            break;
        case '<':
            html += "&lt;";
            break;
        case '>':
            html += "&gt;";
            break;
        case '"':
            html += "&quot;";
            break;
        case '\'':
            html += "&#039;";
            break;
        default:
            html += c;
        }
    }
    return html;
}

std::string Base64(std::string_view bytes)
{
    static const std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::string text;
    for (std::size_t at = 0; at < bytes.size(); at += 3) {
        unsigned group = 0;
        for (std::size_t i = 0; i < 3; ++i)
            group = (group << 8) | (at + i < bytes.size() ? static_cast<unsigned char>(bytes[at + i]) : 0u);
        const std::size_t digits = std::min<std::size_t>(bytes.size() - at, 3) + 1;
        for (std::size_t i = 0; i < 4; ++i)
            text.push_back(i < digits ? kDigits[(group >> (18 - 6 * i)) & 63u] : '=');
    }
    return text;
}

std::vector<std::string> EncodedWords(std::string_view text)
{
    static const std::string_view kOpen = "=?UTF-8?B?", kClose = "?=";
    static const std::string_view kDigits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::vector<std::string> words;
    for (std::size_t at = text.find(kOpen); at != std::string_view::npos; at = text.find(kOpen, at)) {
        at += kOpen.size();
        const std::size_t end = text.find(kClose, at);
        if (end == std::string_view::npos)
            throw std::runtime_error("an encoded word without its end: " + std::string(text.substr(at)));
        std::string bytes;
        unsigned bits = 0, count = 0;
        for (const char c : text.substr(at, end - at)) {
            if (c == '=')
                break;
            const std::size_t digit = kDigits.find(c);
            if (digit == std::string_view::npos)
                throw std::runtime_error("not base64: " + std::string(text.substr(at, end - at)));
            bits = (bits << 6) | static_cast<unsigned>(digit);
            if ((count += 6) >= 8) {
                count -= 8;
                bytes.push_back(static_cast<char>((bits >> count) & 0xffu));
            }
        }
        words.push_back(bytes);
        at = end + kClose.size();
    }
    return words;
}

std::string UrlEncode(const std::string& text)
{
    static const char* hex = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : text) {
        if (std::isalnum(c) || c == '-' || c == '_' || c == '.' || c == '~') {
            out.push_back(static_cast<char>(c));
        } else if (c == ' ') {
            out.push_back('+');
        } else {
            out.push_back('%');
            out.push_back(hex[c >> 4]);
            out.push_back(hex[c & 15]);
        }
    }
    return out;
}

std::string EncodeForm(const Form& form)
{
    std::string body;
    for (const auto& [key, value] : form) {
        if (!body.empty())
            body.push_back('&');
        body += UrlEncode(key) + "=" + UrlEncode(value);
    }
    return body;
}

std::string EncodeMultipart(const std::vector<Part>& parts)
{
    std::string body;
    for (const Part& part : parts) {
        body += std::string("--") + kBoundary + "\r\nContent-Disposition: form-data; name=\"" + part.name + "\"";
        if (part.fileName)
            body += "; filename=\"" + *part.fileName + "\"\r\nContent-Type: " + part.type;
        body += "\r\n\r\n" + part.content + "\r\n";
    }
    return body + "--" + kBoundary + "--\r\n";
}

CgiResponse RunCgi(const std::string& phpCgi, const std::filesystem::path& script, const CgiRequest& request)
{
    std::vector<std::string> argv{phpCgi};
    if (request.noIniFiles)
        argv.emplace_back("-n");
    for (const char* setting : {"display_errors=stderr", "log_errors=0", "html_errors=0", "error_reporting=-1"}) {
        argv.emplace_back("-d");
        argv.emplace_back(setting);
    }
    for (const std::string& setting : request.ini) {
        argv.emplace_back("-d");
        argv.push_back(setting);
    }
    std::vector<std::string> env{
        PathEntry(),
        "GATEWAY_INTERFACE=CGI/1.1",
        "SERVER_PROTOCOL=HTTP/1.1",
        "REDIRECT_STATUS=200",
        "REQUEST_METHOD=" + request.method,
        "SCRIPT_FILENAME=" + script.string(),
    };
    if (request.method == "POST") {
        env.push_back("CONTENT_TYPE=" + request.contentType);
        env.push_back("CONTENT_LENGTH=" + std::to_string(request.body.size()));
    }
    env.insert(env.end(), request.env.begin(), request.env.end());

    const ProcessResult run = Run(argv, env, request.body);
    CgiResponse response;
    response.exitCode = run.exitCode;
    response.errors = run.err;
    const std::size_t split = run.out.find("\r\n\r\n");
    response.headers = run.out.substr(0, split);
    if (split != std::string::npos)
        response.body = run.out.substr(split + 4);
    return response;
}

namespace {

// A TCP connection to 127.0.0.1:port, or -1.
int Connect(int port)
{
    const int sock = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (sock >= 0 && connect(sock, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
        return sock;
    if (sock >= 0)
        close(sock);
    return -1;
}

// A port nothing listens on now, on IPv6 when the address is one.
int FreePort(bool ipv6)
{
    const int sock = socket(ipv6 ? AF_INET6 : AF_INET, SOCK_STREAM, 0);
    sockaddr_storage address{};
    socklen_t size = ipv6 ? sizeof(sockaddr_in6) : sizeof(sockaddr_in);
    address.ss_family = ipv6 ? AF_INET6 : AF_INET;
    int port = 0;
    if (sock >= 0 && bind(sock, reinterpret_cast<sockaddr*>(&address), size) == 0 &&
        getsockname(sock, reinterpret_cast<sockaddr*>(&address), &size) == 0)
        port = ntohs(ipv6 ? reinterpret_cast<sockaddr_in6*>(&address)->sin6_port
                          : reinterpret_cast<sockaddr_in*>(&address)->sin_port);
    if (sock >= 0)
        close(sock);
    return port;
}

} // namespace

PhpServer::PhpServer(const std::string& php, const std::string& listen, const std::filesystem::path& folder,
    const std::vector<std::string>& ini)
{
    const int port = FreePort(listen.starts_with("["));
    std::vector<std::string> argv{php, "-S", listen + ":" + std::to_string(port), "-t", folder.string()};
    for (const std::string& setting : ini) {
        argv.emplace_back("-d");
        argv.push_back(setting);
    }
    std::vector<char*> args = CStrings(argv);
    std::vector<std::string> env{PathEntry()};
    std::vector<char*> envp = CStrings(env);
    pid_ = fork();
    if (pid_ == 0) {
        const int quiet = open("/dev/null", O_WRONLY);
        dup2(quiet, 1);
        dup2(quiet, 2);
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    for (int wait = 0; pid_ > 0 && wait < 500; ++wait) {
        if (const int sock = Connect(port); sock >= 0) {
            close(sock);
            port_ = port;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

PhpServer::~PhpServer()
{
    if (pid_ > 0) {
        kill(pid_, SIGTERM);
        waitpid(pid_, nullptr, 0);
    }
}

namespace {

pid_t Start(const std::vector<std::string>& argv, const std::filesystem::path& output)
{
    std::vector<char*> args = CStrings(argv);
    std::vector<std::string> env{PathEntry()};
    std::vector<char*> envp = CStrings(env);
    const pid_t pid = fork();
    if (pid == 0) {
        const int log = open(output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0600);
        dup2(log, 1);
        dup2(log, 2);
        setsid();
        execve(args[0], args.data(), envp.data());
        _exit(127);
    }
    return pid;
}

// Debian names php-fpm after PHP's version.
std::string FpmProgram()
{
    std::string found;
    for (const auto& entry : std::filesystem::directory_iterator("/usr/sbin"))
        if (entry.path().filename().string().starts_with("php-fpm"))
            found = std::max(found, entry.path().string());
    return found;
}

void Stop(pid_t pid)
{
    if (pid > 0) {
        kill(pid, SIGTERM);
        waitpid(pid, nullptr, 0);
    }
}

} // namespace

bool ApacheFpm::Installed()
{
    return std::filesystem::exists("/usr/sbin/apache2") && !FpmProgram().empty();
}

ApacheFpm::ApacheFpm(const std::filesystem::path& folder, const std::vector<std::string>& ini)
{
    const std::filesystem::path dir = run_.path();
    const bool root = geteuid() == 0;
    // FPM listens on loopback, where Apache's children reach it as any user.
    const int fpmPort = FreePort(false);
    std::string pool = "[global]\npid = " + (dir / "fpm.pid").string() + "\nerror_log = " + (dir / "fpm.log").string() +
        "\ndaemonize = no\n[site]\nlisten = 127.0.0.1:" + std::to_string(fpmPort) +
        "\npm = static\npm.max_children = 2\ncatch_workers_output = yes\n";
    if (root)
        pool += "user = root\ngroup = root\n";
    for (const std::string& setting : ini) {
        const std::size_t is = setting.find('=');
        pool += "php_admin_value[" + setting.substr(0, is) + "] = " + setting.substr(is + 1) + "\n";
    }
    WriteFile(dir / "fpm.conf", pool);
    const int port = FreePort(false);
    const std::string modules = "/usr/lib/apache2/modules/";
    std::string conf = "ServerName localhost\nListen 127.0.0.1:" + std::to_string(port) + "\nPidFile " +
        (dir / "apache.pid").string() + "\nErrorLog " + (dir / "apache.log").string() + "\nDefaultRuntimeDir " +
        dir.string() + "\nMutex file:" + dir.string() + " default\n";
    for (const char* module : {"mpm_event", "authz_core", "proxy", "proxy_fcgi"})
        conf += "LoadModule " + std::string(module) + "_module " + modules + "mod_" + module + ".so\n";
    if (root)
        conf += "User www-data\nGroup www-data\n";
    conf += "DocumentRoot " + folder.string() + "\n<Directory " + folder.string() +
        ">\n    Require all granted\n    CGIPassAuth On\n</Directory>\n<FilesMatch \"\\.php$\">\n    SetHandler "
        "\"proxy:fcgi://127.0.0.1:" +
        std::to_string(fpmPort) + "\"\n</FilesMatch>\n";
    WriteFile(dir / "apache.conf", conf);

    std::vector<std::string> fpm{FpmProgram(), "--fpm-config", (dir / "fpm.conf").string()};
    if (root)
        fpm.emplace_back("-R");
    fpm_ = Start(fpm, dir / "fpm.out");
    apache_ = Start({"/usr/sbin/apache2", "-f", (dir / "apache.conf").string(), "-DFOREGROUND"}, dir / "apache.out");
    for (int wait = 0; wait < 500; ++wait) {
        const int web = Connect(port);
        const int php = web >= 0 ? Connect(fpmPort) : -1;
        for (const int sock : {web, php})
            if (sock >= 0)
                close(sock);
        if (php >= 0) {
            port_ = port;
            return;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
}

ApacheFpm::~ApacheFpm()
{
    Stop(apache_);
    Stop(fpm_);
}

std::string ApacheFpm::why() const
{
    std::string said;
    for (const char* log : {"apache.out", "apache.log", "fpm.out", "fpm.log"})
        if (std::filesystem::exists(run_.path() / log))
            said += std::string(log) + ":\n" + ReadFile(run_.path() / log);
    return said;
}

HttpResponse Http(int port, const std::string& method, const std::string& path, const std::vector<std::string>& headers,
    const std::string& body)
{
    std::string request = method + " " + path + " HTTP/1.0\r\n";
    for (const std::string& header : headers)
        request += header + "\r\n";
    if (method == "POST")
        request += "Content-Type: application/x-www-form-urlencoded\r\nContent-Length: " + std::to_string(body.size()) +
            "\r\n";
    request += "\r\n" + body;
    const int sock = Connect(port);
    if (sock < 0)
        throw std::runtime_error("cannot connect to port " + std::to_string(port));
    for (std::size_t sent = 0; sent < request.size();) {
        const ssize_t n = send(sock, request.data() + sent, request.size() - sent, MSG_NOSIGNAL);
        if (n <= 0)
            break;
        sent += static_cast<std::size_t>(n);
    }
    std::string answer;
    char buffer[65536];
    for (ssize_t n; (n = recv(sock, buffer, sizeof buffer, 0)) > 0;)
        answer.append(buffer, static_cast<std::size_t>(n));
    close(sock);
    HttpResponse response;
    const std::size_t split = answer.find("\r\n\r\n");
    std::istringstream lines(answer.substr(0, split));
    std::string line;
    if (std::getline(lines, line) && line.size() > 12)
        response.status = std::stoi(line.substr(9, 3));
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t colon = line.find(':');
        if (colon != std::string::npos)
            response.headers[line.substr(0, colon)] = line.substr(std::min(colon + 2, line.size()));
    }
    if (split != std::string::npos)
        response.body = answer.substr(split + 4);
    return response;
}

std::map<std::string, std::string> ReadState(const std::string& stateFile)
{
    std::map<std::string, std::string> values;
    if (!std::filesystem::exists(stateFile))
        return values;
    std::istringstream lines(ReadFile(stateFile));
    for (std::string line; std::getline(lines, line);) {
        const std::size_t eq = line.find('=');
        if (eq != std::string::npos)
            values[line.substr(0, eq)] = line.substr(eq + 1);
    }
    return values;
}

bool ReadServer(const std::string& stateFile, Server& server)
{
    std::map<std::string, std::string> values = ReadState(stateFile);
    server = {values["SOCKET"], values["PORT"], values["USER"], values["PASSWORD"], values["DATABASE"]};
    return !server.socket.empty() && !server.port.empty() && !server.database.empty();
}

Table Query(const std::string& client, const Server& server, const std::string& sql)
{
    const ProcessResult run = Run(
        {
            client,
            "--no-defaults",
            "--socket=" + server.socket,
            "--user=" + server.user,
            "--password=" + server.password,
            "--database=" + server.database,
            "--default-character-set=utf8mb4",
            "--batch",
            "--skip-column-names",
            "--execute=" + sql,
        },
        {PathEntry()});
    if (run.exitCode != 0)
        throw std::runtime_error(sql + "\n" + run.err);
    Table rows;
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        std::vector<std::string> fields;
        std::size_t start = 0, tab;
        while ((tab = line.find('\t', start)) != std::string::npos) {
            fields.push_back(line.substr(start, tab - start));
            start = tab + 1;
        }
        fields.push_back(line.substr(start));
        rows.push_back(fields);
    }
    return rows;
}

std::vector<std::string> PostedKeys(const std::string& phpCgi, const Form& form)
{
    const TempDir dir;
    const auto script = dir.path() / "keys.php";
    WriteFile(script, "<?php foreach (array_keys($_POST) as $key) echo $key, \"\\n\";");
    CgiRequest request;
    request.body = EncodeForm(form);
    const CgiResponse response = RunCgi(phpCgi, script, request);
    if (!response.errors.empty())
        throw std::runtime_error("PHP reported: " + response.errors);
    std::vector<std::string> keys;
    std::istringstream lines(response.body);
    for (std::string key; std::getline(lines, key);)
        keys.push_back(key);
    return keys;
}

std::string MailValue(std::string_view value)
{
    std::string out;
    for (std::size_t i = 0; i < value.size(); ++i) {
        if (value[i] == '\r' || value[i] == '\n') {
            if (value[i] == '\r' && i + 1 < value.size() && value[i + 1] == '\n')
                ++i;
            out += "\r\n    ";
        } else {
            out += value[i];
        }
    }
    return out;
}

} // namespace e2e
