// The byte stream a mail or upload session talks over: a TCP socket in the program, scripted
// peers in tests and fuzzing.
#pragma once

#include <cstddef>
#include <string>

#include "crash/common/byte_view.h"

namespace roadsum {

enum class ReceiveStatus { Data, Closed, TimedOut, Failed };

class StreamConnection {
public:
    virtual ~StreamConnection() = default;
    // Sends all the bytes; false when the connection failed.
    virtual bool Send(ByteView bytes) = 0;
    // Waits at most `timeout_ms` for data and appends what arrived, at most `max_bytes`.
    virtual ReceiveStatus Receive(std::string& into, std::size_t max_bytes, int timeout_ms) = 0;
};

// Reads CR LF (or bare LF) terminated lines from a connection with a time-out per line and
// limits that keep a hostile or broken peer from holding the sender: no line longer than
// `max_line` bytes, no more than `max_total` bytes over the reader's life.
class LineReader {
public:
    LineReader(StreamConnection& connection, int timeout_ms, std::size_t max_line = 4096,
               std::size_t max_total = 1 << 20)
        : connection_(connection), timeout_ms_(timeout_ms), max_line_(max_line), max_total_(max_total) {}

    // The next line without its line break; false when the peer closed, stayed silent past the
    // time-out, failed, or sent a line beyond the limits.
    bool ReadLine(std::string& line);

private:
    StreamConnection& connection_;
    const int timeout_ms_;
    const std::size_t max_line_;
    const std::size_t max_total_;
    std::size_t received_ = 0;
    std::string buffer_;
};

}  // namespace roadsum
