#pragma once
// What every benchmark program shares: a clock, the statistics of repeated
// measurements, the process's memory and CPU figures, and the one-line records
// that bench/table.py gathers into the table.
//
// A record is one line starting with "FIGURE " and followed by JSON:
//   FIGURE {"id": "...", "what": "...", "median": 1.0, "min": 0.9, "max": 1.2, "n": 10,
//           "unit": "ms", "limit": 150, "better": "lower", "note": "..."}
// "limit" is the target (absent when there is none); "better" says on which side of it
// a figure meets it. Everything else a program prints is commentary for a human.

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <unistd.h>
#include <utility>
#include <vector>

namespace bench {

using Clock = std::chrono::steady_clock;

inline double MillisecondsBetween(Clock::time_point from, Clock::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}
inline double MillisecondsSince(Clock::time_point from) {
    return MillisecondsBetween(from, Clock::now());
}

// A number with a fixed count of decimals, for the notes beside the figures.
inline std::string Fixed(double value, int decimals) {
    char text[48];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

struct Stats {
    double median = 0;
    double min = 0;
    double max = 0;
    std::size_t n = 0;
};

inline Stats StatsOf(std::vector<double> values) {
    Stats s;
    s.n = values.size();
    if (values.empty())
        return s;
    std::sort(values.begin(), values.end());
    const std::size_t mid = values.size() / 2;
    s.median = values.size() % 2 ? values[mid] : (values[mid - 1] + values[mid]) / 2;
    s.min = values.front();
    s.max = values.back();
    return s;
}

inline std::string JsonString(const std::string& text) {
    std::string out = "\"";
    for (char c : text) {
        if (c == '"' || c == '\\')
            out += '\\';
        if (c == '\n') {
            out += "\\n";
            continue;
        }
        out += c;
    }
    return out + "\"";
}

struct Figure {
    Figure(std::string id, std::string what, Stats stats, std::string unit,
           std::optional<double> limit = std::nullopt)
        : id(std::move(id)), what(std::move(what)), stats(stats), unit(std::move(unit)), limit(limit) {}
    std::string id;
    std::string what;
    Stats stats;
    std::string unit;
    std::optional<double> limit;
    bool lower_is_better = true;
    std::string note;
};

inline void Print(const Figure& f) {
    std::ostringstream line;
    line.precision(6);
    line << "FIGURE {\"id\": " << JsonString(f.id) << ", \"what\": " << JsonString(f.what)
         << ", \"median\": " << f.stats.median << ", \"min\": " << f.stats.min << ", \"max\": " << f.stats.max
         << ", \"n\": " << f.stats.n << ", \"unit\": " << JsonString(f.unit);
    if (f.limit)
        line << ", \"limit\": " << *f.limit
             << ", \"better\": " << JsonString(f.lower_is_better ? "lower" : "higher");
    line << ", \"note\": " << JsonString(f.note) << "}\n";
    std::fputs(line.str().c_str(), stdout);
    std::fflush(stdout);
}

// A field of /proc/<pid>/status in kilobytes ("VmRSS", "VmHWM"), or -1.
inline long StatusKilobytes(const std::string& field, const std::string& pid = "self") {
    std::ifstream status("/proc/" + pid + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind(field + ":", 0) == 0)
            return std::stol(line.substr(field.size() + 1));
    }
    return -1;
}
inline double StatusMegabytes(const std::string& field, const std::string& pid = "self") {
    return StatusKilobytes(field, pid) / 1024.0;
}

// Nanoseconds a thread (or, with tid == pid, a process's main thread) has run on a CPU,
// from the scheduler's own accounting, which is far finer than the clock ticks of stat.
inline long long ThreadRunNanoseconds(long pid, long tid) {
    std::ifstream schedstat("/proc/" + std::to_string(pid) + "/task/" + std::to_string(tid) + "/schedstat");
    long long run = -1;
    schedstat >> run;
    return run;
}

// CPU time of a whole process (all its threads), in seconds, from /proc/<pid>/stat.
inline double ProcessCpuSeconds(long pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    auto close = text.rfind(')');
    if (close == std::string::npos)
        return -1;
    std::istringstream rest(text.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; i <= 15 && rest >> field; ++i) {
        if (i == 14)
            utime = std::stoll(field);
        if (i == 15)
            stime = std::stoll(field);
    }
    return static_cast<double>(utime + stime) / static_cast<double>(sysconf(_SC_CLK_TCK));
}

}  // namespace bench
