#pragma once

// Times PHP itself, without starting the process: a file that php-cgi runs
// before each script notes PHP's first moment and, at shutdown, writes how many
// milliseconds the script took and its peak memory.
#include "support.h"

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

namespace bench {

class PhpTimer {
public:
    explicit PhpTimer(const std::filesystem::path& dir) : prepend_(dir / "timing.php"), times_(dir / "times.txt")
    {
        e2e::WriteFile(prepend_,
            "<?php $zestrel_bench_start = hrtime(true); register_shutdown_function(function () use "
            "($zestrel_bench_start) { file_put_contents('" +
                times_.string() +
                "', (hrtime(true) - $zestrel_bench_start) / 1e6 . ' ' . memory_get_peak_usage(true) . \"\\n\"); "
                "});\n");
    }

    // The ini line that makes php-cgi run the timer.
    std::string IniLine() const { return "auto_prepend_file=" + prepend_.string(); }

    // How long the last script ran in PHP, and the most memory PHP took for it.
    double LastMilliseconds() const { return std::stod(e2e::ReadFile(times_)); }
    double LastPeakMegabytes() const
    {
        const std::string line = e2e::ReadFile(times_);
        return std::stod(line.substr(line.find(' ') + 1)) / (1024.0 * 1024.0);
    }

private:
    std::filesystem::path prepend_;
    std::filesystem::path times_;
};

inline double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    return values[values.size() / 2];
}

} // namespace bench
