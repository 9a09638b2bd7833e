#include "installation.h"

#include "driver/core/names.h"
#include "support/file_bytes.h"
#include "support/service_probe.h"

#include <gtest/gtest.h>

const char g_szInstallDir[] = "C:\\Program Files\\Veltrix";

void EnsureDriverRunning()
{
    ASSERT_TRUE(ServiceExists()) << "no service " VTX_SERVICE_NAME " (is the prefix prepared?)";
    ASSERT_TRUE(BringVeltrixTo(SERVICE_RUNNING)) << "the service " VTX_SERVICE_NAME " does not run";
}

std::string DataFile(const char* name)
{
    return std::string(g_szInstallDir) + "\\data\\" + name;
}

void RemoveFile(const std::string& path)
{
    if (!::DeleteFileA(path.c_str())) {
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_FILE_NOT_FOUND)) << path;
    }
}
