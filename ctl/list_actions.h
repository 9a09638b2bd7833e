// What vtxctl does to the driver's lists, with the window's own rules and requests: a shell
// around the list model, as the main window is one, handed the device and the machine's facts
// at construction (the real ones, unless a test plays them). Every action runs in the
// installation folder, with the password checked, and reports each refusal or failure on its
// error stream; each returns a CtlExit code.
#pragma once

#include "ctl/core/command_line.h"
#include "driver/device_channel.h"
#include "lists/core/list_model.h"

#include <cstdio>
#include <string>
#include <vector>

class CListActions {
public:
    CListActions(IDeviceChannel& device, IPathFacts& facts, std::FILE* out = stdout, std::FILE* err = stderr)
        : m_device(device), m_facts(facts), m_out(out), m_err(err)
    {
    }

    // The command that reads or changes the lists (list, lock, unlock, trust, untrust, export,
    // import), its operands made full.
    int Run(const CtlCommand& command, const std::vector<std::string>& operands);
    // The device opens: the driver is there.
    bool CanReachDriver() { return m_device.OpenEnumeration() != nullptr; }
    // Prints whether the service runs, the installation folder, whether the audit trail is on
    // and the driver's list sizes; with json as one JSON document.
    int ShowStatus(const char* installDir, bool auditTrailOn, bool json);
    // Prints the driver's list, one path a line, in its order; with json as one JSON document.
    int PrintList(bool trusted, bool json);
    // Adds or removes the paths (made full already; "?" marks a character the code page lacks)
    // by the list model's rules, then writes the list's file if it changed. A list that the
    // driver did not give whole is not changed at all. With --dry-run they print what they would
    // change and send, write and record nothing; with --json they print each path's result as
    // one JSON document.
    int AddPaths(const CtlCommand& command, const std::vector<std::string>& paths);
    int RemovePaths(const CtlCommand& command, const std::vector<std::string>& paths);
    // Writes both list files from the driver's lists; false, each reported, when one was not written.
    bool SaveListFiles();
    // false once a list file of this object's could not be written: it is behind the driver.
    bool EveryListFileWritten() const { return !m_bFileNotWritten; }
    // Both lists to the file.
    int ExportLists(const std::string& file);
    // What the file lists and the lists lack back to the driver (the whole file read, or nothing
    // done); with --replace each list that the file names becomes exactly the file's list.
    int ImportLists(const CtlCommand& command, const std::string& file);

private:
    class CChangeRun;

    bool LoadWhole(CListModel& model);
    bool Save(const CListModel& model);
    bool SaveIfChanged(const CListModel& model) { return !model.IsChanged() || Save(model); }
    int Change(const CtlCommand& command, const std::vector<std::string>& paths, bool add);

    IDeviceChannel& m_device;
    IPathFacts& m_facts;
    std::FILE* m_out;
    std::FILE* m_err;
    bool m_bFileNotWritten = false;
};
