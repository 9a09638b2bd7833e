// A folder of its own under the temporary folder, removed with everything in it when the
// object goes, and the current directory put back as it was.
#pragma once

#include <string>

// Removes a folder with everything in it, read-only files too.
void RemoveTree(const std::string& path);

// The Windows folder and the system folder, as the program reads them.
std::string WindowsDirectory();
std::string SystemDirectory();

class ScratchFolder {
public:
    explicit ScratchFolder(const char* name);
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& Path() const { return m_path; }
    // The full path of a name inside the folder; its parent folders are created.
    std::string Make(const std::string& relative, bool isFolder = false) const;

private:
    std::string m_path;
    std::string m_savedCurrentDir;
};
