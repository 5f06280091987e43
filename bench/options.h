#pragma once
// Command line of the benchmark programs and the sizes of their runs.

#include <optional>
#include <string>
#include <vector>

namespace Orvane::bench {

struct run_sizes {
    size_t long_characters;    // the long text of the overhead figures
    size_t abort_characters;   // the fragment aborted in its middle
    size_t many_words;         // the long text of the streaming figure
    size_t stretch_characters;
    int long_runs;
    int short_runs;            // one-sentence and one-word requests
    int abort_runs;
    int stream_runs;
    int cold_runs;
    int concurrent_runs;   // the figures of several clients at once
    int held_connections;  // connections held open to weigh one
    std::vector<int> memory_checkpoints;  // utterances after which the server is measured
};

struct options {
    bool tiny = false;
    std::string out;          // JSON file
    std::string server;       // OrvaneServer.exe (64-bit program), as given
    std::string text_out;     // only write the long text here, measure nothing
    run_sizes sizes;
};

// The full sizes, or a tiny run that only proves every path works.
run_sizes full_sizes();
run_sizes tiny_sizes();

extern const char* const usage;

// Empty on a usage error, with `error` saying why.
std::optional<options> parse_options(const std::vector<std::string>& args, std::string& error);

}  // namespace Orvane::bench
