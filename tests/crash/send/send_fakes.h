// Fakes of what the send methods talk to: a peer that answers from a script and records what
// it was sent, files held in memory, and a progress window that remembers what it was told.
#pragma once

#include <algorithm>
#include <deque>
#include <map>
#include <string>
#include <utility>
#include <vector>

#include "crash/send/dns_message.h"
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

// DNS replies as servers write them.
using Bytes = std::vector<std::uint8_t>;

inline void put16(Bytes& b, unsigned v) {
    b.push_back(static_cast<std::uint8_t>(v >> 8));
    b.push_back(static_cast<std::uint8_t>(v));
}
inline void put_name(Bytes& b, std::string_view name) {
    for (std::size_t at = 0; at < name.size();) {
        const std::size_t dot = std::min(name.find('.', at), name.size());
        b.push_back(static_cast<std::uint8_t>(dot - at));
        b.insert(b.end(), name.begin() + at, name.begin() + dot);
        at = dot + 1;
    }
    b.push_back(0);
}

// A reply in the form servers write: the question, then records whose names point back at it.
struct ReplyBuilder {
    Bytes packet;
    std::vector<Bytes> records[3];
    ReplyBuilder(std::string_view question, unsigned type, unsigned flags = 0x8180, unsigned id = 1) {
        put16(packet, id);
        put16(packet, flags);
        put16(packet, 1);
        packet.resize(12);
        put_name(packet, question);
        put16(packet, type);
        put16(packet, 1);
    }
    // Owner name: a pointer to the question; data: the host written out.
    void add(int section, unsigned type, std::string_view host, unsigned preference = 10) {
        Bytes r = {0xC0, 12};
        put16(r, type);
        put16(r, 1);
        put16(r, 0), put16(r, 300);
        Bytes data;
        if (type == kDnsTypeMx) put16(data, preference);
        put_name(data, host);
        put16(r, static_cast<unsigned>(data.size()));
        r.insert(r.end(), data.begin(), data.end());
        records[section].push_back(r);
    }
    void glue(std::string_view host, std::uint32_t address) {
        Bytes r;
        put_name(r, host);
        put16(r, kDnsTypeA), put16(r, 1), put16(r, 0), put16(r, 300), put16(r, 4);
        for (int shift = 24; shift >= 0; shift -= 8) r.push_back(static_cast<std::uint8_t>(address >> shift));
        records[2].push_back(r);
    }
    Bytes bytes() const {
        Bytes b = packet;
        for (int s = 0; s < 3; ++s) {
            b[6 + 2 * s] = 0;
            b[7 + 2 * s] = static_cast<std::uint8_t>(records[s].size());
            for (const Bytes& r : records[s]) b.insert(b.end(), r.begin(), r.end());
        }
        return b;
    }
};

}  // namespace roadsum::testing
