#include "fuzz/FuzzLine.h"

void FuzzLine::Send(std::string_view bytes) {
    if (!bytes.empty()) {
        Events.push_back({Event::Kind::Bytes, std::string(bytes), 0});
    }
}

void FuzzLine::Pause(std::uint32_t ms) {
    if (ms == 0) {
        return;
    }
    if (!Events.empty() && Events.back().kind == Event::Kind::Pause) {
        Events.back().ms += ms; // two pauses in a row are one longer pause
        return;
    }
    Events.push_back({Event::Kind::Pause, {}, ms});
}

void FuzzLine::AwaitWrite() {
    Events.push_back({Event::Kind::AwaitWrite, {}, 0});
}

std::size_t FuzzLine::read(char* buffer, std::size_t count) {
    const std::uint32_t limit = timeouts.empty() ? 0 : timeouts.back().readConstant;
    std::uint32_t waited = 0;
    while (count > 0 && !Events.empty()) {
        Event& event = Events.front();
        switch (event.kind) {
        case Event::Kind::Bytes:
            buffer[0] = event.bytes.front();
            event.bytes.erase(0, 1);
            if (event.bytes.empty()) {
                Events.pop_front();
            }
            waits.push_back(waited);
            return 1;
        case Event::Kind::Pause:
            if (waited + event.ms > limit) {
                event.ms -= limit - waited;
                return 0;
            }
            waited += event.ms;
            Events.pop_front();
            break;
        case Event::Kind::AwaitWrite:
            if (!Wrote) {
                return 0;
            }
            Wrote = false;
            Events.pop_front();
            break;
        }
    }
    return 0;
}

void FuzzLine::write(const std::string& data) {
    written.push_back(data);
    Wrote = true;
}
