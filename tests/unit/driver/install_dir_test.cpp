#include "driver/core/install_dir.h"

#include <gtest/gtest.h>

#include <string>

TEST(InstallDirFromValue, TakesTheStringUpToItsTerminator)
{
    const char data[] = "C:\\Program Files\\Veltrix\0garbage";
    EXPECT_EQ(InstallDirFromValue(data, sizeof data), "C:\\Program Files\\Veltrix");
}

TEST(InstallDirFromValue, AcceptsTheLongestFolderThatLeavesRoomForItsTerminator)
{
    std::string value(255, 'a');
    value[0] = 'C';
    value[1] = ':';
    value[2] = '\\';
    const std::string data = value + '\0';
    ASSERT_EQ(data.size(), 256u);
    EXPECT_EQ(InstallDirFromValue(data.data(), data.size()), value);
}

TEST(InstallDirFromValue, RefusesDataThatFillTheBufferWithoutATerminator)
{
    const std::string data(256, 'a');
    EXPECT_EQ(InstallDirFromValue(data.data(), data.size()), std::nullopt);
    EXPECT_EQ(InstallDirFromValue(data.data(), 257), std::nullopt);
}

TEST(InstallDirFromValue, AStringStoredWithoutTerminatorEndsWithItsData)
{
    const char data[] = {'C', ':', '\\', 'V'};
    EXPECT_EQ(InstallDirFromValue(data, sizeof data), "C:\\V");
    EXPECT_EQ(InstallDirFromValue(data, 0), "");
}
