// OrvaneServer: hosts the 32-bit legacy engine for 64-bit clients over the
// speech pipe. No window, no output; the exit code is its only report.
#include <exception>

#include "server/run_server.h"

int main() {
    try {
        return Orvane::server::run_server();
    } catch (...) {
        return 1;
    }
}
