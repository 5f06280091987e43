#pragma once
// How much the server takes on at once.

#include <cstddef>

namespace Orvane::server {

// Connections served at the same time, each on a thread of its own. A
// client beyond them finds the pipe busy and waits, as for any busy pipe,
// until a connection ends. Every 64-bit process that uses the voices keeps
// one connection while it has the library loaded.
constexpr std::size_t max_connections = 64;

// How long a thread whose connection ended waits to serve the next one.
constexpr unsigned long idle_thread_ms = 10000;

// Request payloads of all connections together beyond each one's free
// part. Serving a speak request holds a few copies of its text, so this
// keeps the worst case far inside a 32-bit address space.
constexpr std::size_t payload_budget_bytes = std::size_t(128) << 20;
constexpr std::size_t free_payload_bytes = std::size_t(64) << 10;

// How long a shutdown waits for the connections to end before the process
// ends anyway (a connection may be inside the legacy engine, which cannot
// be stopped, or waiting for a client that reads nothing).
constexpr unsigned long shutdown_wait_ms = 5000;

}  // namespace Orvane::server
