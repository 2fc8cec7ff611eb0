#include "support/ConsoleText.h"

#include "support/WideText.h"

#include <windows.h>

#include <algorithm>
#include <iostream>
#include <streambuf>
#include <string>

namespace {

// The length of the longest start of text that ends with a whole UTF-8 character: a character
// that a write cut in two waits for its other bytes.
std::size_t WholeCharacters(const std::string& text) {
    std::size_t start = text.size();
    for (int back = 0; back < 4 && start > 0; ++back) {
        const auto byte = static_cast<unsigned char>(text[start - 1]);
        if ((byte & 0xC0) != 0x80) {
            // The lead byte of the last character: is the character complete?
            const std::size_t length = byte >= 0xF0 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC0 ? 2 : 1;
            return text.size() - (start - 1) >= length ? text.size() : start - 1;
        }
        --start;
    }
    return text.size();
}

// A stream buffer that hands its text to the console as UTF-16 whenever the stream is flushed.
class ConsoleBuffer final : public std::streambuf {
public:
    explicit ConsoleBuffer(HANDLE console) : console_(console) {}

protected:
    int_type overflow(int_type c) override {
        if (!traits_type::eq_int_type(c, traits_type::eof())) {
            pending_ += traits_type::to_char_type(c);
        }
        return traits_type::not_eof(c);
    }

    std::streamsize xsputn(const char* text, std::streamsize count) override {
        pending_.append(text, static_cast<std::size_t>(count));
        return count;
    }

    int sync() override {
        const std::size_t whole = WholeCharacters(pending_);
        const std::wstring wide = WideText(std::string_view(pending_).substr(0, whole));
        pending_.erase(0, whole);
        for (std::size_t done = 0; done < wide.size();) {
            DWORD written = 0;
            const auto chunk = static_cast<DWORD>(std::min<std::size_t>(wide.size() - done, 8192));
            if (!WriteConsoleW(console_, wide.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                return -1;
            }
            done += written;
        }
        return 0;
    }

private:
    HANDLE console_;
    std::string pending_;
};

bool IsConsole(HANDLE handle) {
    DWORD mode = 0;
    return handle != INVALID_HANDLE_VALUE && handle != nullptr && GetConsoleMode(handle, &mode);
}

void UseFor(std::ostream& stream, DWORD standardHandle) {
    HANDLE handle = GetStdHandle(standardHandle);
    if (IsConsole(handle)) {
        // Lives as long as the process: the streams are flushed once more at its very end.
        stream.rdbuf(new ConsoleBuffer(handle));
    }
}

} // namespace

void UseConsoleText() {
    UseFor(std::cout, STD_OUTPUT_HANDLE);
    UseFor(std::cerr, STD_ERROR_HANDLE);
}
