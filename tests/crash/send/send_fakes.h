// Fakes of what the send methods talk to: a peer that answers from a script and records what
// it was sent, files held in memory, and a progress window that remembers what it was told.
#pragma once

#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "crash/send/send_files.h"
#include "crash/send/send_progress.h"
#include "crash/send/stream_connection.h"

namespace roadsum::testing {

class ScriptedPeer final : public StreamConnection {
public:
    // Each Receive hands out the next chunk; after the last one the peer behaves as `end`.
    explicit ScriptedPeer(std::vector<std::string> chunks, ReceiveStatus end = ReceiveStatus::Closed)
        : chunks_(chunks.begin(), chunks.end()), end_(end) {}

    bool Send(ByteView bytes) override {
        if (fail_sends_) return false;
        sent.append(reinterpret_cast<const char*>(bytes.data()), bytes.size());
        return true;
    }
    ReceiveStatus Receive(std::string& into, std::size_t max_bytes, int timeout_ms) override {
        timeouts.push_back(timeout_ms);
        if (chunks_.empty()) return end_;
        std::string& next = chunks_.front();
        into += next.substr(0, max_bytes);
        if (next.size() > max_bytes) next.erase(0, max_bytes);
        else chunks_.pop_front();
        return ReceiveStatus::Data;
    }
    void FailSends() { fail_sends_ = true; }

    std::string sent;
    std::vector<int> timeouts;

private:
    std::deque<std::string> chunks_;
    ReceiveStatus end_;
    bool fail_sends_ = false;
};

class MemoryFiles final : public SendFiles {
public:
    std::map<std::string, std::string> files;
    std::vector<std::string> unreadable;  // Size answers, Read fails
    std::vector<std::size_t> pieces;      // the piece sizes asked for

    std::optional<std::uint64_t> Size(const std::string& path) override {
        auto it = files.find(path);
        if (it == files.end()) return std::nullopt;
        return it->second.size();
    }
    bool Read(const std::string& path, std::size_t piece_bytes, std::uint64_t limit,
              const std::function<bool(ByteView)>& piece) override {
        pieces.push_back(piece_bytes);
        auto it = files.find(path);
        if (it == files.end()) return false;
        for (const std::string& bad : unreadable)
            if (bad == path) return false;
        const std::string& data = it->second;
        if (limit > data.size()) return false;
        for (std::size_t at = 0; at < limit; at += piece_bytes)
            if (!piece(bytes_of(std::string_view(data).substr(at, std::min<std::uint64_t>(piece_bytes, limit - at)))))
                return false;
        return true;
    }
};

class RecordingProgress final : public SendProgress {
public:
    std::vector<SendArea> areas;
    std::vector<int> positions;
    void Area(SendArea area) override { areas.push_back(area); }
    void Position(int permille) override { positions.push_back(permille); }
};

}  // namespace roadsum::testing
