// Shows every record of a table of 1,000,000 rows through a safe script run
// by php-cgi with PHP's default memory limit of 128 MB, and dumps the same
// rows with the mariadb client for comparison. Prints, for each, the wall
// time and the peak resident memory of the process; for PHP also the peak
// PHP memory the script used. Then the owner's inbox of the same table: the
// size of its first page, and the export of every row as CSV within a
// memory limit of 32 MB, in rows per second beside the client's.
//
// Needs a running server: bench/safe_display_bench.sh starts a private one.
//   safe_display_bench <server state file> [rows]
#include "scriptgen/compiler.h"
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::size_t CountOf(const std::string& text, const std::string& piece)
{
    std::size_t count = 0;
    for (std::size_t at = text.find(piece); at != std::string::npos; at = text.find(piece, at + piece.size()))
        ++count;
    return count;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <server state file> [rows]\n", argv[0]);
        return 2;
    }
    const long rows = argc > 2 ? std::atol(argv[2]) : 1000000;
    e2e::Server server;
    if (!e2e::ReadServer(argv[1], server)) {
        std::fprintf(stderr, "no server recorded in %s\n", argv[1]);
        return 2;
    }
    const e2e::TempDir dir;
    e2e::Query(ZESTREL_MARIADB_CLIENT, server,
        "DROP TABLE IF EXISTS visitors; CREATE TABLE visitors (name VARCHAR(225), city VARCHAR(225), id INT "
        "AUTO_INCREMENT, UNIQUE (id)) DEFAULT CHARSET=utf8mb4; INSERT INTO visitors (name, city) SELECT "
        "CONCAT('visitor ', seq), CONCAT('city ', seq % 1000) FROM seq_1_to_" +
            std::to_string(rows));

    scriptgen::ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    s.useDatabase = s.displayAll = true;
    s.host = "localhost:" + server.socket;
    s.userName = server.user;
    s.password = server.password;
    s.database = server.database;
    s.displayAllTable = "visitors";
    s.displayAllFields = {"name", "city"};
    s.recordsPublic = true; // a guest book, which anyone may read
    const auto script = dir.path() / "records.php";
    e2e::WriteScript(script, scriptgen::CompileScript(s));
    const auto peak = dir.path() / "peak.php";
    e2e::WriteFile(peak,
        "<?php register_shutdown_function(function (): void { error_log('peak ' . memory_get_peak_usage(true)); });");

    const e2e::ProcessResult php =
        e2e::Run({ZESTREL_PHP_CGI, "-d", "memory_limit=128M", "-d", "auto_prepend_file=" + peak.string()},
            {e2e::PathEntry(), "GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET", "REDIRECT_STATUS=200",
                "SCRIPT_FILENAME=" + script.string()});
    const std::string& shown = php.out;
    const std::string& phpLog = php.err;
    const std::size_t peakAt = phpLog.find("peak ");
    const long phpPeak = peakAt == std::string::npos ? -1 : std::atol(phpLog.c_str() + peakAt + 5);

    const e2e::ProcessResult client =
        e2e::Run({ZESTREL_MARIADB_CLIENT, "--no-defaults", "--socket=" + server.socket, "--user=" + server.user,
                     "--password=" + server.password, "--database=" + server.database, "--batch", "--quick",
                     "--execute=SELECT name, city FROM visitors"},
            {e2e::PathEntry()});

    // The owner's inbox of the same table: its first page, and the export.
    s.recordsPublic = false;
    s.ownerPassword = "bench owner password";
    const auto inbox = dir.path() / "inbox.php";
    e2e::WriteScript(inbox, scriptgen::CompileScript(s));
    const auto owner = [&](const std::string& query) {
        return e2e::Run({ZESTREL_PHP_CGI, "-d", "memory_limit=32M", "-d", "auto_prepend_file=" + peak.string()},
            {e2e::PathEntry(), "GATEWAY_INTERFACE=CGI/1.1", "REQUEST_METHOD=GET", "REDIRECT_STATUS=200",
                "SCRIPT_FILENAME=" + inbox.string(), "HTTPS=on", "HTTP_HOST=shop.test", "QUERY_STRING=" + query,
                "HTTP_AUTHORIZATION=Basic " + e2e::Base64("owner:" + s.ownerPassword)});
    };
    const e2e::ProcessResult page = owner("");
    const e2e::ProcessResult csv = owner("export=csv");
    const std::size_t csvPeakAt = csv.err.find("peak ");
    const long csvPeak = csvPeakAt == std::string::npos ? -1 : std::atol(csv.err.c_str() + csvPeakAt + 5);
    e2e::Query(ZESTREL_MARIADB_CLIENT, server, "DROP TABLE visitors");

    std::printf("rows in the table:          %ld\n", rows);
    std::printf("php-cgi, safe script:       %.2f s, peak RSS %.1f MB, PHP peak memory %.1f MB, %zu table rows "
                "shown, %.1f MB of HTML, exit %d\n",
        php.seconds, static_cast<double>(php.peakKiB) / 1024.0, static_cast<double>(phpPeak) / 1048576.0,
        CountOf(shown, "<tr><td>"), static_cast<double>(shown.size()) / 1048576.0, php.exitCode);
    std::printf("mariadb --batch --quick:    %.2f s, peak RSS %.1f MB, %.1f MB of text, exit %d\n", client.seconds,
        static_cast<double>(client.peakKiB) / 1024.0, static_cast<double>(client.out.size()) / 1048576.0,
        client.exitCode);
    std::printf("owner's first page:         %.0f ms, %zu table rows, %.1f KB of HTML, exit %d\n",
        page.seconds * 1000.0, CountOf(page.out, "<tr><td>"), static_cast<double>(page.out.size()) / 1024.0,
        page.exitCode);
    const std::size_t body = csv.out.find("\r\n\r\n");
    const std::size_t lines = body == std::string::npos ? 0 : CountOf(csv.out.substr(body + 4), "\r\n");
    std::printf("owner's CSV export, 32 MB:  %.2f s, %.0f rows/s (client: %.0f rows/s), PHP peak memory %.1f MB, "
                "%zu lines, %.1f MB, exit %d\n",
        csv.seconds, static_cast<double>(lines > 0 ? lines - 1 : 0) / csv.seconds,
        static_cast<double>(rows) / client.seconds, static_cast<double>(csvPeak) / 1048576.0, lines,
        static_cast<double>(csv.out.size()) / 1048576.0, csv.exitCode);
    if (!phpLog.empty() && phpLog.find("peak ") != 0)
        std::printf("PHP said: %s\n", phpLog.c_str());
    if (csv.err.find("peak ") != 0)
        std::printf("PHP said on the export: %s\n", csv.err.c_str());
    return php.exitCode == 0 && client.exitCode == 0 && page.exitCode == 0 && csv.exitCode == 0 ? 0 : 1;
}
