// Turns arbitrary bytes into the settings of a safe compile: the first two
// bytes tick the sections, the rest are the boxes, separated by 0x01 (a line
// break separates the lines of a list). Checking and compiling must never
// crash, and no script line may hold a line break. With ZESTREL_SCRIPTS_DIR
// set to a folder, each input's script is also written there for php -l.
#include "scriptgen/compiler.h"
#include "scriptgen/safe/check.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>
#include <vector>

namespace {

using scriptgen::Lines;
using scriptgen::ScriptSettings;

Lines SplitLines(const std::string& text)
{
    Lines lines(1);
    for (const char c : text) {
        if (c == '\n')
            lines.emplace_back();
        else
            lines.back() += c;
    }
    return lines;
}

ScriptSettings Settings(const std::uint8_t* data, std::size_t size)
{
    std::vector<std::string> boxes(1);
    for (std::size_t i = 2; i < size; ++i) {
        if (data[i] == 0x01)
            boxes.emplace_back();
        else
            boxes.back() += static_cast<char>(data[i]);
    }
    boxes.resize(20);
    ScriptSettings s;
    s.target = scriptgen::Target::Safe;
    const unsigned ticks = data[0] | (data[1] << 8u);
    s.useDatabase = (ticks & 1u) != 0;
    s.sendMail = (ticks & 2u) != 0;
    s.insertRecord = (ticks & 4u) != 0;
    s.displayAll = (ticks & 8u) != 0;
    s.displaySpecific = (ticks & 16u) != 0;
    s.createTable = (ticks & 32u) != 0;
    s.dropTable = (ticks & 64u) != 0;
    s.fieldList = SplitLines(boxes[0]);
    s.host = boxes[1];
    s.userName = boxes[2];
    s.password = boxes[3];
    s.database = boxes[4];
    s.recipient = boxes[5];
    s.subject = boxes[6];
    s.sender = boxes[7];
    for (const std::string& entry : SplitLines(boxes[8]))
        s.mailVariables.push_back({entry, entry.size() % 2 == 1});
    s.successPage = boxes[9];
    s.failurePage = boxes[10];
    s.insertTable = s.createTableName = boxes[11];
    s.insertFields = s.createTableFields = SplitLines(boxes[12]);
    s.insertValues = SplitLines(boxes[13]);
    s.displayAllTable = s.dropTableName = boxes[14];
    s.displayAllFields = SplitLines(boxes[15]);
    s.displaySpecificTable = boxes[16];
    s.whereField = boxes[17];
    s.whereValue = boxes[18];
    s.displaySpecificFields = SplitLines(boxes[19]);
    return s;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
        return 0;
    ScriptSettings settings = Settings(data, size);
    (void)scriptgen::CheckSafeScript(settings);
    const Lines script = scriptgen::CompileScript(settings);
    for (const std::string& line : script)
        if (line.find_first_of("\r\n") != std::string::npos)
            std::abort();
    if (const char* folder = std::getenv("ZESTREL_SCRIPTS_DIR")) {
        static int written = 0;
        std::ofstream out(std::string(folder) + "/" + std::to_string(written++) + ".php", std::ios::binary);
        for (const std::string& line : script)
            out << line << "\r\n";
    }
    settings.target = scriptgen::Target::Classic;
    (void)scriptgen::CompileScript(settings);
    return 0;
}
