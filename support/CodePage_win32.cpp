// The ANSI code page of the system, as the narrow Windows calls know it.
#include "support/CodePage.h"

#include "support/WideText.h"

#include <windows.h>

#include <climits>

namespace {

// The code page's bytes of a UTF-16 text; empty when a character has no byte of its own there
// (no best fit: "ő" must not become "o", nor any character "?").
std::optional<std::string> Encode(std::wstring_view wide) {
    if (wide.empty()) {
        return std::string();
    }
    const int size = static_cast<int>(wide.size());
    // A system set to UTF-8 as its code page takes every character, and no best-fit flag.
    const bool utf8 = GetACP() == CP_UTF8;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL defaulted = FALSE;
    BOOL* usedDefault = utf8 ? nullptr : &defaulted;
    const int length =
        WideCharToMultiByte(CP_ACP, flags, wide.data(), size, nullptr, 0, nullptr, usedDefault);
    if (length <= 0 || defaulted) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(length), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), size, bytes.data(), length, nullptr, nullptr);
    return bytes;
}

// The first character of wide that the code page cannot hold, as UTF-8.
std::string FirstUnheld(std::wstring_view wide) {
    for (std::size_t at = 0; at < wide.size();) {
        const bool pair =
            IS_HIGH_SURROGATE(wide[at]) && at + 1 < wide.size() && IS_LOW_SURROGATE(wide[at + 1]);
        const std::wstring_view character = wide.substr(at, pair ? 2 : 1);
        if (!Encode(character)) {
            return Utf8Text(character);
        }
        at += character.size();
    }
    return {};
}

} // namespace

std::optional<std::string> ToCodePage(std::string_view text, std::string* unheld) {
    if (text.size() > INT_MAX / 2) {
        return std::nullopt;
    }
    const std::wstring wide = WideText(text);
    std::optional<std::string> bytes = Encode(wide);
    if (!bytes && unheld) {
        *unheld = FirstUnheld(wide);
    }
    return bytes;
}

std::string FromCodePage(std::string_view bytes) {
    return Utf8Text(WideText(bytes, CP_ACP));
}
