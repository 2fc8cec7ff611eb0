#include "sim/LineFraming.h"

#include <algorithm>

namespace {

using SteadyClock = std::chrono::steady_clock;

constexpr std::int64_t kBitsPerByte = 10;
constexpr std::int64_t kBaud = 115200;

std::chrono::milliseconds WaitUntil(SteadyClock::time_point deadline) {
    return std::max(std::chrono::milliseconds(0),
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - SteadyClock::now()));
}

} // namespace

std::chrono::nanoseconds LineTime(std::size_t bytes) {
    return std::chrono::nanoseconds(static_cast<std::int64_t>(bytes) * kBitsPerByte *
                                    1'000'000'000 / kBaud);
}

LineLink::LineLink(SimLine& line, const SimSerialOptions& options)
    : line_(line), gap_(options.gapMs), pause_(options.pauseMs), paced_(options.paced) {}

std::optional<LineEvent> LineLink::Next(SteadyClock::time_point until) {
    if (arrivals_.empty()) {
        Listen(until);
    }
    if (arrivals_.empty()) {
        return std::nullopt;
    }
    if (arrivals_.front().hangUp) {
        arrivals_.pop_front();
        return LineEvent{{}, true};
    }
    return TakePacket();
}

LineEvent LineLink::TakePacket() {
    lastPacketStart_ = arrivals_.front().at;
    std::string packet;
    SteadyClock::time_point end = arrivals_.front().at;
    while (packet.size() < kMaxLinePacket) {
        if (arrivals_.empty()) {
            // Whatever comes before the line has been quiet for the gap belongs to the packet.
            Listen(end + gap_);
            if (arrivals_.empty()) {
                break;
            }
        }
        Arrival& next = arrivals_.front();
        if (next.hangUp || next.at > end + gap_) {
            break;
        }
        const std::size_t room = kMaxLinePacket - packet.size();
        if (next.bytes.size() > room) {
            packet += next.bytes.substr(0, room);
            next.bytes.erase(0, room);
            break;
        }
        packet += next.bytes;
        end = next.end;
        arrivals_.pop_front();
    }
    return LineEvent{packet, false};
}

bool LineLink::Send(std::string_view bytes) {
    if (lastPacketStart_ < lastSendEnd_) {
        ListenUntil(lastSendEnd_ + pause_);
    }
    // Paced, the packet is handed over whole when a real line would have carried its last byte:
    // handed over bit by bit, any stall of the simulator longer than the client's gap would cut
    // the packet in two.
    if (paced_) {
        ListenUntil(SteadyClock::now() + LineTime(bytes.size()));
    }
    const bool delivered = !ClientGone() && line_.Write(bytes);
    lastSendEnd_ = SteadyClock::now();
    Listen(lastSendEnd_); // what came meanwhile, with the time it came
    return delivered;
}

bool LineLink::ClientGone() const {
    return std::any_of(arrivals_.begin(), arrivals_.end(),
                       [](const Arrival& arrival) { return arrival.hangUp; });
}

void LineLink::Listen(SteadyClock::time_point until) {
    std::string bytes = line_.Read(kMaxLinePacket, WaitUntil(until));
    const auto now = SteadyClock::now();
    if (!bytes.empty()) {
        lineFreeAt_ = paced_ ? std::max(lineFreeAt_, now) + LineTime(bytes.size()) : now;
        arrivals_.push_back({now, lineFreeAt_, std::move(bytes)});
    }
    if (line_.TakeHangUp()) {
        arrivals_.push_back({now, now, {}, true});
    }
}

void LineLink::ListenUntil(SteadyClock::time_point until) {
    do {
        Listen(until);
    } while (SteadyClock::now() < until);
}
