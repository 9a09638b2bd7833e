// A stand-in uninstaller for the tests, copied as "unins000.exe" into a scratch installation
// folder. It notes what it found when it started in "unins000.record" beside itself, then ends:
// its own path, its working directory and the bytes of the two list files of its folder.
// Each field is "<name> <length>\n<bytes>\n"; a file that cannot be read is "<missing>".
#include "support/file_bytes.h"

#include <windows.h>

#include <string>

namespace {

std::string Decimal(const FILETIME& time)
{
    return std::to_string((static_cast<unsigned long long>(time.dwHighDateTime) << 32) | time.dwLowDateTime);
}

std::string LastWritten(const std::string& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (!::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data))
        return "<missing>";
    return Decimal(data.ftLastWriteTime);
}

void AddField(std::string& record, const char* name, const std::string& value)
{
    record += name;
    record += ' ';
    record += std::to_string(value.size());
    record += '\n';
    record += value;
    record += '\n';
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int)
{
    char module[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, module, MAX_PATH);
    char workingDir[MAX_PATH] = {};
    ::GetCurrentDirectoryA(MAX_PATH, workingDir);
    std::string folder = module;
    folder.resize(folder.find_last_of('\\'));

    FILETIME created{};
    FILETIME unused[3];
    ::GetProcessTimes(::GetCurrentProcess(), &created, &unused[0], &unused[1], &unused[2]);

    std::string record;
    AddField(record, "module", module);
    AddField(record, "cwd", workingDir);
    AddField(record, "filter", ReadWholeFile(folder + "\\data\\filter.txt").value_or("<missing>"));
    AddField(record, "trusted", ReadWholeFile(folder + "\\data\\TrustedPs.txt").value_or("<missing>"));
    AddField(record, "created", Decimal(created));
    AddField(record, "filter.written", LastWritten(folder + "\\data\\filter.txt"));
    AddField(record, "trusted.written", LastWritten(folder + "\\data\\TrustedPs.txt"));

    // Written aside and then moved into place, so that a reader never sees half a record.
    const std::string path = folder + "\\unins000.record";
    const std::string temporary = path + ".tmp";
    HANDLE file = ::CreateFileA(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return 1;
    DWORD written = 0;
    const BOOL ok = ::WriteFile(file, record.data(), static_cast<DWORD>(record.size()), &written, nullptr);
    ::CloseHandle(file);
    if (!ok || written != record.size() || !::MoveFileExA(temporary.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING))
        return 1;
    return 0;
}
