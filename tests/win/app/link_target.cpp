// Stands in for the browser in the link tests: each run appends one line to the file that the
// variable VTX_LINK_LOG names, so that a test sees which target the shell opened.
#include <windows.h>

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char log[MAX_PATH];
    const DWORD length = ::GetEnvironmentVariableA("VTX_LINK_LOG", log, sizeof log);
    if (length == 0 || length >= sizeof log)
        return 1;
    HANDLE file = ::CreateFileA(log, FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    const char line[] = "link_target\r\n";
    DWORD written = 0;
    ::WriteFile(file, line, sizeof line - 1, &written, nullptr);
    ::CloseHandle(file);
    return 0;
}
