#include "bench/results.h"

#include <cmath>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <stdexcept>

namespace Orvane::bench {

std::string json_string(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        switch (c) {
        case '"': out += "\\\""; break;
        case '\\': out += "\\\\"; break;
        case '\n': out += "\\n"; break;
        case '\r': out += "\\r"; break;
        case '\t': out += "\\t"; break;
        default:
            if (c < 0x20) {
                char escaped[8];
                std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
                out += escaped;
            } else {
                out += static_cast<char>(c);
            }
        }
    }
    return out + "\"";
}

std::string json_number(double value) {
    if (!std::isfinite(value)) return "null";
    char text[32];
    std::snprintf(text, sizeof text, "%.17g", value);
    return text;
}

void results::add(const std::string& series, double value, const std::string& unit) {
    series_data& data = series_[series];
    data.unit = unit;
    data.values.push_back(value);
}

void results::fact(const std::string& name, double value) { facts_[name] = json_number(value); }

void results::fact(const std::string& name, const std::string& value) { facts_[name] = json_string(value); }

std::string results::to_json() const {
    std::ostringstream out;
    out << "{\n  \"program\": " << json_string(program_) << ",\n  \"facts\": {";
    const char* separator = "\n";
    for (const auto& [name, value] : facts_) {
        out << separator << "    " << json_string(name) << ": " << value;
        separator = ",\n";
    }
    out << "\n  },\n  \"series\": {";
    separator = "\n";
    for (const auto& [name, data] : series_) {
        out << separator << "    " << json_string(name) << ": {\"unit\": " << json_string(data.unit)
            << ", \"values\": [";
        for (size_t i = 0; i < data.values.size(); ++i) out << (i ? ", " : "") << json_number(data.values[i]);
        out << "]}";
        separator = ",\n";
    }
    out << "\n  }\n}\n";
    return out.str();
}

void results::write(const std::string& path) const {
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    const std::string text = to_json();
    file.write(text.data(), static_cast<std::streamsize>(text.size()));
    file.close();
    if (!file) throw std::runtime_error("cannot write " + path);
}

}  // namespace Orvane::bench
