#include "crash/send/stream_connection.h"

#include <algorithm>
#include <chrono>

namespace roadsum {

bool LineReader::ReadLine(std::string& line) {
    // The time-out holds for the whole line, so a peer that trickles bytes cannot stretch it.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms_);
    for (;;) {
        if (const std::size_t end = buffer_.find('\n'); end != std::string::npos) {
            if (end > max_line_) return false;
            line.assign(buffer_, 0, end);
            if (!line.empty() && line.back() == '\r') line.pop_back();
            buffer_.erase(0, end + 1);
            return true;
        }
        if (buffer_.size() > max_line_ || received_ >= max_total_) return false;
        const std::size_t before = buffer_.size();
        const std::size_t room = std::min<std::size_t>(max_total_ - received_, 4096);
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) return false;
        if (connection_.Receive(buffer_, room, static_cast<int>(left.count())) != ReceiveStatus::Data) return false;
        received_ += buffer_.size() - before;
    }
}

}  // namespace roadsum
