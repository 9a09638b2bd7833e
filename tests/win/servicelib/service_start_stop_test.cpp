// vtxStart, vtxStop and the queries against the stand-in driver's real service: the driver is
// really unloaded and loaded again, as its device shows. Each test leaves the service running.
#include "support/service_probe.h"
#include "support/vtx_process.h"
#include "vtxlib32_loader.h"

#include "driver/core/protocol.h"

#include <gtest/gtest.h>

namespace {

bool DeviceOpens()
{
    HANDLE device = ::CreateFileA(VTX_DEVICE_PATH, GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (device == INVALID_HANDLE_VALUE)
        return false;
    ::CloseHandle(device);
    return true;
}

class VtxServiceStartStop : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_NE(m_lib.m_hModule, nullptr);
        m_strInstallDir = ReadInstallDir();
        ASSERT_FALSE(m_strInstallDir.empty()) << "the stand-in driver is not installed";
        ASSERT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
    }
    void TearDown() override
    {
        if (QueryVeltrixState() != SERVICE_RUNNING)
            EXPECT_TRUE(RunInstaller(m_strInstallDir));
    }

    CVtxLib32 m_lib;
    std::string m_strInstallDir;
};

TEST_F(VtxServiceStartStop, StopsAndStartsTheRunningDriverAndReportsEachState)
{
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 1);
    EXPECT_EQ(m_lib.Call("vtxIsStopped"), 0);
    EXPECT_NE(m_lib.Call("vtxStart"), 0) << "a running service is already where start wants it";
    EXPECT_TRUE(DeviceOpens());

    EXPECT_NE(m_lib.Call("vtxStop"), 0);
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_STOPPED));
    EXPECT_FALSE(DeviceOpens());
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 0);
    EXPECT_EQ(m_lib.Call("vtxIsStopped"), 1);
    EXPECT_EQ(m_lib.Call("vtxStop"), 0) << "a stopped service was not stopped by this call";

    EXPECT_NE(m_lib.Call("vtxStart"), 0);
    EXPECT_EQ(QueryVeltrixState(), static_cast<DWORD>(SERVICE_RUNNING));
    EXPECT_TRUE(DeviceOpens());
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 1);
    EXPECT_EQ(m_lib.Call("vtxIsStopped"), 0);
}

TEST_F(VtxServiceStartStop, DeletedRunningServiceGoesOnceStopped)
{
    EXPECT_NE(m_lib.Call("vtxDelete"), 0);
    EXPECT_NE(m_lib.Call("vtxStop"), 0);
    EXPECT_FALSE(DeviceOpens());
    EXPECT_TRUE(PollUntil([] { return !ServiceExists(); }, 5000));
}

TEST_F(VtxServiceStartStop, ServiceCreatedByTheLibraryRunsTheDriverOnceAdaptedToWine)
{
    ASSERT_TRUE(RemoveVeltrixService());
    ASSERT_EQ(m_lib.Call("vtxCreate"), 0);
    // The installer finds the service in place and only adapts it to Wine (absolute image path,
    // no WoW64 mark), records the folder and starts it.
    ASSERT_TRUE(RunInstaller(m_strInstallDir));
    ServiceConfig config;
    ASSERT_TRUE(QueryVeltrixConfig(config));
    EXPECT_EQ(config.strGroup, "FSFilter Activity Monitor");
    EXPECT_EQ(m_lib.Call("vtxIsStarted"), 1);
    EXPECT_TRUE(DeviceOpens());
    EXPECT_NE(m_lib.Call("vtxStop"), 0);
    EXPECT_NE(m_lib.Call("vtxStart"), 0);
    EXPECT_TRUE(DeviceOpens());
}

} // namespace
