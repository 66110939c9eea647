// The time PHP spends on one post of a safe script, beside how many counts
// the flood limit keeps: in the database (0, 10,000 and 1,000,000 rows, most
// of them older than an hour and so due to go) and in the file of a script
// without a database (0, 1,000 and 10,000 visitors, the most it keeps, and a
// file of 1,000,000 that is no file the script writes, which it starts
// afresh). Each post comes from an
// address of its own, as in a flood from many addresses.
//
// Needs a running server: bench/safe_flood_bench.sh starts a private one.
//   safe_flood_bench <server state file> [posts]
#include "phptimer.h"
#include "scriptgen/compiler.h"
#include "support.h"

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// The median time PHP takes for `posts` posts of the script, each from an
// address of its own, and the share of them answered as expected.
struct Timing {
    double median;
    int answered;
};

Timing Time(
    const std::filesystem::path& script, const bench::PhpTimer& timer, const std::filesystem::path& temp, int posts)
{
    std::vector<double> times;
    int answered = 0;
    for (int i = 0; i < posts; ++i) {
        e2e::CgiRequest request;
        request.body = "name=Ada&city=Oslo";
        request.env = {"HTTP_HOST=shop.test", "HTTP_SEC_FETCH_SITE=same-origin",
            "REMOTE_ADDR=198.18." + std::to_string(i / 250) + "." + std::to_string(i % 250 + 1)};
        request.ini = {timer.IniLine(), "sys_temp_dir=" + temp.string(), "sendmail_path=\"cat > /dev/null\""};
        const e2e::CgiResponse run = e2e::RunCgi(ZESTREL_PHP_CGI, script, request);
        answered += run.errors.empty() && run.headers.find("Status: 429") == std::string::npos ? 1 : 0;
        times.push_back(timer.LastMilliseconds());
    }
    return {bench::Median(times), answered};
}

// A file of counts as a script keeps it, of `visitors` visitors each with
// one post a minute ago.
std::string CountsFile(long visitors)
{
    const long now = static_cast<long>(std::time(nullptr)) - 60;
    std::string json = "{";
    for (long i = 0; i < visitors; ++i)
        json += (i ? ",\"" : "\"") + std::to_string(1000000000 + i) + "\":[" + std::to_string(now) + "]";
    return json + "}";
}

} // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s <server state file> [posts]\n", argv[0]);
        return 2;
    }
    const int posts = argc > 2 ? std::atoi(argv[2]) : 50;
    e2e::Server server;
    if (!e2e::ReadServer(argv[1], server)) {
        std::fprintf(stderr, "no server recorded in %s\n", argv[1]);
        return 2;
    }
    const auto sql = [&server](const std::string& text) { return e2e::Query(ZESTREL_MARIADB_CLIENT, server, text); };
    const e2e::TempDir dir;
    const bench::PhpTimer timer(dir.path());

    scriptgen::ScriptSettings stored;
    stored.target = scriptgen::Target::Safe;
    stored.fieldList = {"name", "city"};
    stored.useDatabase = stored.insertRecord = true;
    stored.host = "localhost:" + server.socket;
    stored.userName = server.user;
    stored.password = server.password;
    stored.database = server.database;
    stored.insertTable = "guests";
    stored.insertFields = {"name", "city"};
    stored.insertValues = {"$name", "$city"};
    const auto storedScript = dir.path() / "stored.php";
    e2e::WriteScript(storedScript, scriptgen::CompileScript(stored));
    sql("DROP TABLE IF EXISTS guests, zestrel_counts; CREATE TABLE guests (name VARCHAR(225), city VARCHAR(225))");
    // The script makes its table of counts on its first post.
    Time(storedScript, timer, dir.path(), 1);

    std::printf("%d posts each, median time in PHP per post\n", posts);
    for (const long rows : {0L, 10000L, 1000000L}) {
        // Nine in ten counts are older than an hour.
        sql("TRUNCATE TABLE zestrel_counts; INSERT INTO zestrel_counts (visitor, at) SELECT LPAD(HEX(seq), 8, '0'), "
            "UNIX_TIMESTAMP() - IF(seq % 10 = 0, 60, 7200) FROM seq_1_to_" +
            std::to_string(rows > 0 ? rows : 1) + (rows > 0 ? "" : " WHERE 0"));
        const Timing t = Time(storedScript, timer, dir.path(), posts);
        std::printf("database, %8ld counts:   %6.2f ms  (%d of %d posts taken)\n", rows, t.median, t.answered, posts);
    }

    scriptgen::ScriptSettings mailed = stored;
    mailed.useDatabase = mailed.insertRecord = false;
    mailed.sendMail = true;
    mailed.recipient = "owner@shop.test";
    mailed.subject = "Guest";
    mailed.mailVariables = {{"$name", true}};
    mailed.successPage = "thanks.html";
    mailed.failurePage = "sorry.html";
    const auto mailedScript = dir.path() / "mailed.php";
    e2e::WriteScript(mailedScript, scriptgen::CompileScript(mailed));
    const auto temp = dir.path() / "temp";
    std::filesystem::create_directories(temp);
    Time(mailedScript, timer, temp, 1);
    std::filesystem::path counts;
    for (const auto& entry : std::filesystem::recursive_directory_iterator(temp))
        if (entry.path().filename() == "counts.json")
            counts = entry.path();
    for (const long visitors : {0L, 1000L, 10000L, 1000000L}) {
        e2e::WriteFile(counts, CountsFile(visitors));
        const Timing t = Time(mailedScript, timer, temp, posts);
        std::printf(
            "file, %8ld visitors:      %6.2f ms  (%d of %d posts taken)\n", visitors, t.median, t.answered, posts);
    }
    sql("DROP TABLE guests, zestrel_counts");
    return 0;
}
