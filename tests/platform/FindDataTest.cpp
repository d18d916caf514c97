#include "platform/FindData.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace twinseek {
namespace {

struct stat StatOfMode(mode_t mode, off_t size) {
    struct stat status {};
    status.st_mode = mode;
    status.st_size = size;
    return status;
}

TEST(FindDataTest, AttributesFollowTypeNameAndPermissions) {
    FindData data;
    FillFindData(data, StatOfMode(S_IFREG | 0644, 10), "plain", nullptr);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_NORMAL);
    FillFindData(data, StatOfMode(S_IFDIR | 0755, 4096), ".config", nullptr);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(data.Size(), 0u) << "a directory has no size of its own";
    FillFindData(data, StatOfMode(S_IFLNK | 0777, 7), "link", nullptr);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_REPARSE_POINT);
    FillFindData(data, StatOfMode(S_IFREG | 0444, 1), "ro", nullptr);
    EXPECT_EQ(data.dwFileAttributes, FILE_ATTRIBUTE_READONLY);
}

TEST(FindDataTest, SizeSplitsIntoHalvesAndTimesCountFrom1601) {
    FindData data;
    struct stat status = StatOfMode(S_IFREG | 0644, off_t(5) << 32 | 7);
    status.st_mtim = {0, 0};
    status.st_ctim = {1, 500};
    struct timespec birth {2, 0};
    FillFindData(data, status, "big", &birth);
    EXPECT_EQ(data.nFileSizeHigh, 5u);
    EXPECT_EQ(data.nFileSizeLow, 7u);
    EXPECT_EQ(data.ftLastWriteTime.Value(), 116444736000000000ULL);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 20000000ULL);
    FillFindData(data, status, "big", nullptr);
    EXPECT_EQ(data.ftCreationTime.Value(), 116444736000000000ULL + 10000005ULL)
        << "without a birth time the change time stands in";
}

TEST(FindDataTest, SetNameRefusesNamesThatDoNotFit) {
    FindData data;
    EXPECT_TRUE(data.SetName("a"));
    std::string tooLong(kMaxNameBuffer, 'x');
    EXPECT_FALSE(data.SetName(tooLong.c_str()));
    EXPECT_STREQ(data.cFileName, "a");
    std::string longest(kMaxNameBuffer - 1, 'y');
    EXPECT_TRUE(data.SetName(longest.c_str()));
    EXPECT_EQ(std::strlen(data.cFileName), size_t(kMaxNameBuffer - 1));
}

}  // namespace
}  // namespace twinseek
