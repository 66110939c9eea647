// Reading the field list from form pages: a 5 MB page with 10,000 controls
// (time, and the peak memory the read adds), a 100 KB page of the same make,
// and the 5 MB page in windows-1252 without a declaration, which is parsed
// twice (once to look for a declaration, once after conversion).
#include "formreader/formreader.h"

#include <benchmark/benchmark.h>

#include <cstdio>
#include <initializer_list>
#include <string>
#include <string_view>
#include <sys/resource.h>

namespace {

constexpr std::size_t kLargePage = 5'000'000;
constexpr int kLargeControls = 10'000;
constexpr std::string_view kFiller = "Ask about our rye, spelt and seeded loaves, baked to order for parties, "
                                     "weddings and school fairs all year round.";

void Append(std::string& page, std::initializer_list<std::string_view> pieces)
{
    for (const std::string_view piece : pieces)
        page.append(piece);
}

// One table row per control: a label, the control and a paragraph of text
// with some inline markup, padded so the page reaches about `bytes` bytes.
// Text inputs, selects, text areas, radio groups and check-box arrays take
// turns. `eAcute` spells the é of the running text.
std::string OrderPage(int controls, std::size_t bytes, const std::string& head, const std::string& eAcute)
{
    const std::string sentence = "Fresh bread is baked every morning from local flour; orders placed before noon are "
                                 "delivered the same day &amp; <b>free</b> of charge in the caf" +
        eAcute + " district. ";
    std::string page;
    page.reserve(bytes + bytes / 10);
    page += "<!DOCTYPE html>\n<html><head>" + head + "<title>Order form</title></head><body>\n";
    page += "<h1>Order</h1>\n<form id=\"order\" action=\"order.php\" method=\"post\">\n<table>\n";
    const std::size_t perRow = bytes / static_cast<std::size_t>(controls);
    for (int i = 0; i < controls; ++i) {
        const std::string n = std::to_string(i);
        const std::string group = std::to_string(i / 50);
        const std::size_t rowStart = page.size();
        Append(page, {"<tr><td><label for=\"f", n, "\">Item ", n, "</label></td><td>"});
        switch (i % 5) {
        case 0:
            Append(page, {"<input type=\"text\" id=\"f", n, "\" name=\"item_", n, "\" value=\"\">"});
            break;
        case 1:
            Append(page,
                {"<select id=\"f", n, "\" name=\"size_", n,
                    "\"><option>Small</option><option>Medium</option><option>Large</option></select>"});
            break;
        case 2:
            Append(page, {"<textarea id=\"f", n, "\" name=\"note_", n, "\" rows=\"2\"></textarea>"});
            break;
        case 3:
            Append(page, {"<input type=\"radio\" id=\"f", n, "\" name=\"choice_", group, "\" value=\"", n, "\">"});
            break;
        default:
            Append(page, {"<input type=\"checkbox\" id=\"f", n, "\" name=\"extras[]\" value=\"", n, "\">"});
            break;
        }
        page += "</td><td><p>";
        constexpr std::string_view kEnd = "</p></td></tr>\n";
        while (page.size() - rowStart + sentence.size() + kEnd.size() <= perRow)
            page += sentence;
        const std::size_t used = page.size() - rowStart + kEnd.size();
        page.append(kFiller.substr(0, perRow > used ? perRow - used : 0));
        page += kEnd;
    }
    page += "</table>\n<p><input type=\"submit\" value=\"Order\"></p>\n</form>\n</body></html>\n";
    return page;
}

std::string Utf8Page(int controls, std::size_t bytes)
{
    return OrderPage(controls, bytes, "<meta charset=\"utf-8\">", "\xC3\xA9");
}

void ReadPage(benchmark::State& state, const std::string& page)
{
    std::size_t fields = 0;
    for (auto _ : state) {
        const formreader::Page read = formreader::ReadForms(page);
        fields = read.forms.at(0).fields.size();
        benchmark::DoNotOptimize(fields);
    }
    state.counters["page_MB"] = static_cast<double>(page.size()) / 1e6;
    state.counters["fields"] = static_cast<double>(fields);
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * page.size()));
}

void BM_Read5MBPage(benchmark::State& state)
{
    ReadPage(state, Utf8Page(kLargeControls, kLargePage));
}
BENCHMARK(BM_Read5MBPage)->Unit(benchmark::kMillisecond);

void BM_Read100KBPage(benchmark::State& state)
{
    ReadPage(state, Utf8Page(kLargeControls / 50, kLargePage / 50));
}
BENCHMARK(BM_Read100KBPage)->Unit(benchmark::kMillisecond);

void BM_Read5MBUndeclaredLatin1Page(benchmark::State& state)
{
    ReadPage(state, OrderPage(kLargeControls, kLargePage, "", "\xE9"));
}
BENCHMARK(BM_Read5MBUndeclaredLatin1Page)->Unit(benchmark::kMillisecond);

long PeakResidentKilobytes()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

} // namespace

// The peak memory of one read of the 5 MB page, measured first, while the
// process has not yet grown beyond the page itself.
int main(int argc, char** argv)
{
    {
        const std::string page = Utf8Page(kLargeControls, kLargePage);
        const long before = PeakResidentKilobytes();
        const formreader::Page read = formreader::ReadForms(page);
        const long after = PeakResidentKilobytes();
        std::printf("5 MB page (%.2f MB, %zu fields): the read adds %.1f MB to the peak resident memory\n",
            static_cast<double>(page.size()) / 1e6, read.forms.at(0).fields.size(),
            static_cast<double>(after - before) / 1024.0);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
