// Compiles a script with every section ticked and 10,000 entries in every
// list, classic and safe, and copies the same number of bytes with memcpy as a baseline. Both
// report time per generated line, so the two figures compare directly.
//
// The mix pairs hold what a site owner's safe script carries besides the
// sections: a rule on every field, the owner's pages and an SMTP server. The
// classic compile of the same settings ignores those; its time per line is
// the yardstick for the safe one's (ratio = safe per_line / classic per_line).
#include "scriptgen/compiler.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <numeric>
#include <string>
#include <vector>

namespace {

constexpr std::size_t kEntries = 10000;

scriptgen::ScriptSettings LargeSettings()
{
    scriptgen::ScriptSettings s;
    s.useDatabase = s.sendMail = s.insertRecord = s.displayAll = s.displaySpecific = s.createTable = s.dropTable = true;
    s.host = "localhost";
    s.userName = "webuser";
    s.database = "shop";
    s.recipient = "you@example.com";
    s.subject = "Feedback";
    s.sender = "$email";
    s.successPage = "http://example.com/thanks.html";
    s.failurePage = "http://example.com/error.html";
    s.insertTable = s.displayAllTable = s.displaySpecificTable = s.createTableName = s.dropTableName = "people";
    s.whereField = "field0";
    s.whereValue = "$field0";
    for (std::size_t i = 0; i < kEntries; ++i) {
        const std::string name = "field" + std::to_string(i);
        s.fieldList.push_back(name);
        s.mailVariables.push_back({"$" + name, true});
        s.insertFields.push_back(name);
        s.insertValues.push_back("$" + name);
        s.displayAllFields.push_back(name);
        s.displaySpecificFields.push_back(name);
        s.createTableFields.push_back(name);
    }
    return s;
}

const scriptgen::ScriptSettings& Settings()
{
    static const scriptgen::ScriptSettings settings = LargeSettings();
    return settings;
}

void SetPerLine(benchmark::State& state, std::size_t lines, std::size_t bytes)
{
    state.counters["lines"] = static_cast<double>(lines);
    state.counters["per_line"] = benchmark::Counter(
        static_cast<double>(lines), benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

std::size_t ScriptBytes(const scriptgen::Lines& script)
{
    return std::accumulate(script.begin(), script.end(), std::size_t{0},
        [](std::size_t sum, const std::string& line) { return sum + line.size(); });
}

void BM_CompileScript(benchmark::State& state)
{
    const scriptgen::ScriptSettings& settings = Settings();
    for (auto _ : state) {
        scriptgen::Lines script = scriptgen::CompileScript(settings);
        benchmark::DoNotOptimize(script.data());
    }
    const scriptgen::Lines script = scriptgen::CompileScript(settings);
    SetPerLine(state, script.size(), ScriptBytes(script));
}
BENCHMARK(BM_CompileScript)->Unit(benchmark::kMicrosecond);

// The safe script of the same settings: every text becomes a PHP literal.
void BM_CompileSafeScript(benchmark::State& state)
{
    scriptgen::ScriptSettings settings = Settings();
    settings.target = scriptgen::Target::Safe;
    for (auto _ : state) {
        scriptgen::Lines script = scriptgen::CompileScript(settings);
        benchmark::DoNotOptimize(script.data());
    }
    const scriptgen::Lines script = scriptgen::CompileScript(settings);
    SetPerLine(state, script.size(), ScriptBytes(script));
}
BENCHMARK(BM_CompileSafeScript)->Unit(benchmark::kMicrosecond);

// The floor: the script's bytes copied into new memory, as a compile must
// produce them anew each time.
void BM_MemcpyBaseline(benchmark::State& state)
{
    const scriptgen::Lines script = scriptgen::CompileScript(Settings());
    const std::size_t bytes = ScriptBytes(script);
    const std::vector<char> source(bytes, 'x');
    for (auto _ : state) {
        std::unique_ptr<char[]> target(new char[bytes]);
        std::memcpy(target.get(), source.data(), bytes);
        benchmark::DoNotOptimize(target.get());
        benchmark::ClobberMemory();
    }
    SetPerLine(state, script.size(), bytes);
}
BENCHMARK(BM_MemcpyBaseline)->Unit(benchmark::kMicrosecond);

// The allocation floor: a copy of the finished script, which allocates every
// line once and copies its bytes, as any compile returning new lines must.
void BM_CopyOfScript(benchmark::State& state)
{
    const scriptgen::Lines script = scriptgen::CompileScript(Settings());
    for (auto _ : state) {
        scriptgen::Lines copy = script;
        benchmark::DoNotOptimize(copy.data());
    }
    SetPerLine(state, script.size(), ScriptBytes(script));
}
BENCHMARK(BM_CopyOfScript)->Unit(benchmark::kMicrosecond);

// A form of `fields` fields with every section ticked, a rule on every field
// (label, type, lengths, a pattern, and choices on every fifth), the owner's
// pages and delivery through SMTP.
scriptgen::ScriptSettings MixSettings(std::size_t fields, scriptgen::Target target)
{
    scriptgen::ScriptSettings s = LargeSettings();
    s.target = target;
    const auto keep = [fields](auto& list) { list.resize(std::min(list.size(), fields)); };
    keep(s.fieldList);
    keep(s.mailVariables);
    keep(s.insertFields);
    keep(s.insertValues);
    keep(s.displayAllFields);
    keep(s.displaySpecificFields);
    keep(s.createTableFields);
    // The owner's pages without a password: hashing one costs bcrypt's 50 ms
    // on purpose, which would hide the generators' own time.
    s.ownerPassword.clear();
    s.smtp.emplace();
    s.smtp->host = "smtp.example.com";
    s.smtp->userName = "web@example.com";
    s.smtp->password = "secret";
    s.mailFrom = "web@example.com";
    for (std::size_t i = 0; i < s.fieldList.size(); ++i) {
        scriptgen::FieldRule rule;
        rule.field = s.fieldList[i];
        rule.label = "Field number " + std::to_string(i);
        rule.required = i % 2 == 0;
        rule.type = i % 3 == 0 ? "email" : "text";
        rule.minLength = "2";
        rule.maxLength = "120";
        rule.pattern = "[A-Za-z0-9 .@'-]+";
        if (i % 5 == 0)
            rule.choices = {"first", "second", "third's"};
        s.fieldRules.push_back(rule);
    }
    return s;
}

void BM_CompileMix(benchmark::State& state, scriptgen::Target target)
{
    const scriptgen::ScriptSettings settings = MixSettings(static_cast<std::size_t>(state.range(0)), target);
    for (auto _ : state) {
        scriptgen::Lines script = scriptgen::CompileScript(settings);
        benchmark::DoNotOptimize(script.data());
    }
    const scriptgen::Lines script = scriptgen::CompileScript(settings);
    SetPerLine(state, script.size(), ScriptBytes(script));
}
BENCHMARK_CAPTURE(BM_CompileMix, classic, scriptgen::Target::Classic)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_CompileMix, safe, scriptgen::Target::Safe)
    ->Arg(20)
    ->Arg(100)
    ->Arg(1000)
    ->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
