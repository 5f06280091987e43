#include "bench/options.h"

namespace Orvane::bench {

const char* const usage =
    "usage: orvane-bench [--tiny] --out FILE.json [--server PATH\\OrvaneServer.exe]\n"
    "       orvane-bench [--tiny] --long-text FILE.txt   (writes the long text the figures speak)";

run_sizes full_sizes() { return {20000, 10000, 2000, 2000, 7, 20, 3, 7, 3, 5, 32, {10, 100, 1000}}; }

run_sizes tiny_sizes() { return {300, 300, 20, 100, 1, 2, 1, 1, 1, 1, 2, {2, 5}}; }

std::optional<options> parse_options(const std::vector<std::string>& args, std::string& error) {
    options parsed;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool has_value = i + 1 < args.size();
        if (arg == "--tiny") {
            parsed.tiny = true;
        } else if ((arg == "--out" || arg == "--server" || arg == "--long-text") && has_value) {
            const std::string& value = args[++i];
            if (arg == "--out") parsed.out = value;
            else if (arg == "--server") parsed.server = value;
            else parsed.text_out = value;
        } else {
            error = "unknown or incomplete argument: " + arg;
            return std::nullopt;
        }
    }
    if (parsed.out.empty() == parsed.text_out.empty()) {
        error = "give either --out or --long-text";
        return std::nullopt;
    }
    parsed.sizes = parsed.tiny ? tiny_sizes() : full_sizes();
    return parsed;
}

}  // namespace Orvane::bench
