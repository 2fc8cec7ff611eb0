// A debug-string monitor inside the test process. OutputDebugString hands its text to a monitor
// through the shared section DBWIN_BUFFER: it waits for DBWIN_BUFFER_READY, writes the process
// id and the text, and signals DBWIN_DATA_READY; the monitor reads and makes the buffer ready
// again. A thread of the test plays the monitor.
#include "tests/kit/DebuggerCapture.h"

#include <windows.h>

#include <atomic>
#include <cstring>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace {

constexpr DWORD kBufferSize = 4096;

struct Buffer {
    DWORD processId;
    char text[kBufferSize - sizeof(DWORD)];
};

HANDLE MakeEvent(const char* name) {
    HANDLE event = ::CreateEventA(nullptr, FALSE, FALSE, name);
    if (event == nullptr)
        throw std::runtime_error(std::string("CreateEventA ") + name + " failed");
    return event;
}

} // namespace

struct DebuggerCapture::Channel {
    HANDLE mapping = ::CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0,
                                          kBufferSize, "DBWIN_BUFFER");
    HANDLE bufferReady = MakeEvent("DBWIN_BUFFER_READY");
    HANDLE dataReady = MakeEvent("DBWIN_DATA_READY");
    const Buffer* buffer = nullptr;
    std::atomic<bool> stop{false};
    std::mutex lock;
    std::vector<std::string> lines;
    std::thread monitor;

    // Runs until asked to stop and no text is waiting any more: OutputDebugString has signalled
    // its text before it returns, so nothing handed over before the stop is lost.
    void Watch() {
        ::SetEvent(bufferReady);
        for (;;) {
            const bool stopping = stop;
            if (::WaitForSingleObject(dataReady, stopping ? 0 : 50) != WAIT_OBJECT_0) {
                if (stopping)
                    return;
                continue;
            }
            if (buffer->processId == ::GetCurrentProcessId()) {
                const std::lock_guard<std::mutex> guard(lock);
                lines.emplace_back(buffer->text, ::strnlen(buffer->text, sizeof buffer->text));
            }
            ::SetEvent(bufferReady);
        }
    }
};

DebuggerCapture::DebuggerCapture() : channel_(std::make_unique<Channel>()) {
    if (channel_->mapping == nullptr)
        throw std::runtime_error("CreateFileMappingA DBWIN_BUFFER failed");
    channel_->buffer =
        static_cast<const Buffer*>(::MapViewOfFile(channel_->mapping, FILE_MAP_READ, 0, 0, 0));
    if (channel_->buffer == nullptr)
        throw std::runtime_error("MapViewOfFile DBWIN_BUFFER failed");
    channel_->monitor = std::thread([channel = channel_.get()] { channel->Watch(); });
}

DebuggerCapture::~DebuggerCapture() {
    Lines();
    ::UnmapViewOfFile(channel_->buffer);
    ::CloseHandle(channel_->dataReady);
    ::CloseHandle(channel_->bufferReady);
    ::CloseHandle(channel_->mapping);
}

std::vector<std::string> DebuggerCapture::Lines() {
    if (channel_->monitor.joinable()) {
        channel_->stop = true;
        channel_->monitor.join();
    }
    const std::lock_guard<std::mutex> guard(channel_->lock);
    return channel_->lines;
}
