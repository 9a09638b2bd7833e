// The create, query and delete exports against Wine's real service manager. Each test starts
// without the service "veltrix"; an installed one is removed first and installed again after.
#include "support/service_probe.h"
#include "vtxlib32_loader.h"

#include <gtest/gtest.h>

namespace {

class VtxServiceExports : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_lib.m_hModule, nullptr);
        m_strInstallDir = ReadInstallDir();
        ASSERT_TRUE(RemoveVeltrixService());
    }
    void TearDown() override
    {
        // What a test created has a relative image path and, from a 32-bit process, Wine's WoW64
        // mark: the installer's own service replaces it.
        EXPECT_TRUE(RemoveVeltrixService());
        if (!m_strInstallDir.empty())
            EXPECT_TRUE(RunInstaller(m_strInstallDir));
    }

    CVtxLib32 m_lib;
    std::string m_strInstallDir;
};

TEST_F(VtxServiceExports, CreateMakesTheDriverServiceOnceThenReportsThatItExists)
{
    EXPECT_EQ(m_lib.Call("vtxCreate"), 0);
    ServiceConfig config;
    ASSERT_TRUE(QueryVeltrixConfig(config));
    EXPECT_EQ(config.dwServiceType, static_cast<DWORD>(SERVICE_FILE_SYSTEM_DRIVER));
    EXPECT_EQ(config.dwStartType, static_cast<DWORD>(SERVICE_AUTO_START));
    EXPECT_EQ(config.dwErrorControl, static_cast<DWORD>(SERVICE_ERROR_NORMAL));
    // Wine's folders are C:\windows and C:\windows\system32.
    EXPECT_STREQ(config.strBinaryPath.c_str(), "system32\\Drivers\\veltrix.sys");
    EXPECT_EQ(config.strGroup, "FSFilter Activity Monitor");
    EXPECT_EQ(config.strDisplayName, "veltrix");
    EXPECT_EQ(config.strDependencies, "");

    // Neither create looks at or changes a service that exists: the first group stays.
    EXPECT_EQ(m_lib.Call("vtxCreate"), 1);
    EXPECT_EQ(m_lib.Call("vtxCreate2k"), 1);
    ServiceConfig after;
    ASSERT_TRUE(QueryVeltrixConfig(after));
    EXPECT_EQ(after.strGroup, "FSFilter Activity Monitor");
    EXPECT_EQ(after.strBinaryPath, config.strBinaryPath);
}

TEST_F(VtxServiceExports, Create2kPutsTheServiceInTheFilterGroup)
{
    EXPECT_EQ(m_lib.Call("vtxCreate2k"), 0);
    ServiceConfig config;
    ASSERT_TRUE(QueryVeltrixConfig(config));
    EXPECT_EQ(config.strGroup, "filter");
    EXPECT_EQ(config.dwServiceType, static_cast<DWORD>(SERVICE_FILE_SYSTEM_DRIVER));
    EXPECT_EQ(config.strBinaryPath, "system32\\Drivers\\veltrix.sys");

    EXPECT_EQ(m_lib.Call("vtxCreate"), 1);
    ASSERT_TRUE(QueryVeltrixConfig(config));
    EXPECT_EQ(config.strGroup, "filter");
}

TEST_F(VtxServiceExports, DeleteRemovesAnExistingServiceAndFailsOnAMissingOne)
{
    EXPECT_EQ(m_lib.Call("vtxDelete"), 0);
    ASSERT_EQ(m_lib.Call("vtxCreate"), 0);
    ASSERT_TRUE(ServiceExists());
    EXPECT_NE(m_lib.Call("vtxDelete"), 0);
    EXPECT_FALSE(ServiceExists());
    EXPECT_EQ(m_lib.Call("vtxDelete"), 0);
}

TEST_F(VtxServiceExports, MissingServiceIsNeitherStartedNorStoppedAndCannotBeStartedOrStopped)
{
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 0);
    EXPECT_EQ(m_lib.Call("vtxIsStopped"), 0);
    EXPECT_EQ(m_lib.Call("vtxStart"), 0);
    EXPECT_EQ(m_lib.Call("vtxStop"), 0);
}

TEST_F(VtxServiceExports, CreatedServiceThatNeverRanIsStoppedAndCannotBeStoppedAgain)
{
    ASSERT_EQ(m_lib.Call("vtxCreate"), 0);
    ASSERT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 0);
    EXPECT_EQ(m_lib.Call("vtxIsStopped"), 1);
    EXPECT_EQ(m_lib.Call("vtxStop"), 0);
}

} // namespace
