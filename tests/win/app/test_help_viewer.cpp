// A stand-in help viewer for the tests: it notes its process id beside the file it was asked to
// open (in "<file>.viewers", one id a line) and then stays open, as a viewer would, for a minute.
#include <windows.h>

#include <cstdio>
#include <string>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR commandLine, int)
{
    std::string file = commandLine;
    if (file.size() >= 2 && file.front() == '"' && file.back() == '"')
        file = file.substr(1, file.size() - 2);
    if (file.empty())
        file = "help";
    const std::string log = file + ".viewers";
    HANDLE handle = ::CreateFileA(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
        char line[32];
        const int length = std::snprintf(line, sizeof line, "%lu\r\n", ::GetCurrentProcessId());
        DWORD written = 0;
        ::WriteFile(handle, line, static_cast<DWORD>(length), &written, nullptr);
        ::CloseHandle(handle);
    }
    ::Sleep(60000);
    return 0;
}
