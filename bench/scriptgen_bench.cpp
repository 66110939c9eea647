// Compiles a script with every section ticked and 10,000 entries in every
// list, classic and safe, and copies the same number of bytes with memcpy as a baseline. Both
// report time per generated line, so the two figures compare directly.
#include "scriptgen/compiler.h"

#include <benchmark/benchmark.h>

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

} // namespace

BENCHMARK_MAIN();
