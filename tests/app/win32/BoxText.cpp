// quorvel-box-text CAPTION [SECONDS]: waits for a message box with the given caption in the same
// Wine prefix (or Windows session) and prints whether it shows an icon and what its text says,
// so that a test driving the real window can read the box a user would read.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

struct BoxContent {
    bool icon = false;
    std::string text;
};

BOOL CALLBACK ReadStatic(HWND child, LPARAM content) {
    char className[16] = {};
    GetClassNameA(child, className, sizeof className);
    if (lstrcmpiA(className, "Static") != 0) {
        return TRUE;
    }
    auto& box = *reinterpret_cast<BoxContent*>(content);
    if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
        box.icon = box.icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
        return TRUE;
    }
    wchar_t text[4096] = {};
    const int length = GetWindowTextW(child, text, 4096);
    // Printed as UTF-8, so that a test can compare names with letters beyond ASCII.
    char utf8[3 * 4096 + 1] = {};
    WideCharToMultiByte(CP_UTF8, 0, text, length, utf8, sizeof utf8 - 1, nullptr, nullptr);
    box.text += utf8;
    return TRUE;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: quorvel-box-text CAPTION [SECONDS]\n");
        return 2;
    }
    const DWORD deadline = GetTickCount() + 1000 * (argc > 2 ? std::atoi(argv[2]) : 10);
    HWND box = nullptr;
    while (!(box = FindWindowA("#32770", argv[1])) && GetTickCount() < deadline) {
        Sleep(50);
    }
    if (!box) {
        std::fprintf(stderr, "no box \"%s\"\n", argv[1]);
        return 1;
    }
    BoxContent content;
    EnumChildWindows(box, ReadStatic, reinterpret_cast<LPARAM>(&content));
    std::printf("icon: %s\n%s\n", content.icon ? "yes" : "no", content.text.c_str());
    return 0;
}
