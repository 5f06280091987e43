#pragma once
// What one benchmark program measured: named series of repeated samples
// and single facts about the run, written as one JSON document. The runner
// turns them into figures (medians, spreads, ratios).

#include <chrono>
#include <map>
#include <string>
#include <vector>

namespace Orvane::bench {

using clock_type = std::chrono::steady_clock;

inline double ms_between(clock_type::time_point from, clock_type::time_point to) {
    return std::chrono::duration<double, std::milli>(to - from).count();
}

inline double ms_since(clock_type::time_point from) { return ms_between(from, clock_type::now()); }

class results {
public:
    explicit results(std::string program) : program_(std::move(program)) {}

    void add(const std::string& series, double value, const std::string& unit = "ms");
    void fact(const std::string& name, double value);
    void fact(const std::string& name, const std::string& value);

    bool has(const std::string& series) const { return series_.count(series) != 0; }
    const std::vector<double>& values(const std::string& series) const { return series_.at(series).values; }

    std::string to_json() const;
    // Throws std::runtime_error when the file cannot be written whole.
    void write(const std::string& path) const;

private:
    struct series_data {
        std::string unit;
        std::vector<double> values;
    };
    std::string program_;
    std::map<std::string, series_data> series_;
    std::map<std::string, std::string> facts_;  // already JSON values
};

// A JSON string literal for any text (quotes, backslashes, control bytes).
std::string json_string(const std::string& text);

// A JSON number; non-finite values, which JSON cannot carry, become null.
std::string json_number(double value);

}  // namespace Orvane::bench
