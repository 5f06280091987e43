// Benchmark program of one build: measures, writes the raw samples as JSON
// for tools/bench, which makes the figures. Exit codes: 0 written,
// 1 a measurement or the output failed, 2 usage error.
#include <windows.h>

#include <cstdio>
#include <exception>
#include <fstream>

#include "bench/figures.h"
#include "bench/texts.h"
#include "utils/com_apartment.h"

namespace {

// The long text, for timing a whole SAPI host on exactly what we speak.
int write_long_text(const Orvane::bench::options& opts) {
    std::ofstream file(opts.text_out, std::ios::binary | std::ios::trunc);
    file << Orvane::bench::text_of_characters(opts.sizes.long_characters);
    file.close();
    if (file) return 0;
    std::fprintf(stderr, "cannot write %s\n", opts.text_out.c_str());
    return 1;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace Orvane::bench;
    std::string error;
    const auto opts = parse_options(std::vector<std::string>(argv + 1, argv + argc), error);
    if (!opts) {
        std::fprintf(stderr, "%s\n%s\n", error.c_str(), usage);
        return 2;
    }
    if (!opts->text_out.empty()) return write_long_text(*opts);
    try {
        Orvane::utils::com_apartment apartment;
        results out(program_name());
        out.fact("tiny", opts->tiny ? 1.0 : 0.0);
        run_figures(*opts, out);
        out.write(opts->out);
        return 0;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "%s: %s\n", program_name(), e.what());
        return 1;
    }
}
