#include "platform/FileContentReader.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace twinseek {
namespace {

using Status = FileContentReader::ReadStatus;

class FileContentReaderTest : public ::testing::Test {
protected:
    std::string PathOf(const char* name) const { return tree.Path(name); }
    std::string Write(const char* name, const std::string& content) {
        std::ofstream(PathOf(name), std::ios::binary) << content;
        return PathOf(name);
    }

    testing::TemporaryTree tree;
    const std::string& directory = tree.Root();
};

TEST_F(FileContentReaderTest, ReadsARegularFileToItsEnd) {
    std::string content(FileContentReader::kBlockSize * 2 + 123, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 + 3);
    FileContentReader reader;
    ASSERT_TRUE(reader.Open(Write("data", content).c_str()));

    std::string read;
    std::string buffer(FileContentReader::kBlockSize, '\0');
    FileContentReader::ReadResult result;
    while ((result = reader.Read(buffer.data(), buffer.size())).status == Status::Data)
        read.append(buffer, 0, result.bytes);
    EXPECT_EQ(result.status, Status::EndOfFile);
    EXPECT_EQ(read, content);
    EXPECT_EQ(reader.Read(buffer.data(), 16).status, Status::EndOfFile) << "the end stays the end";

    ASSERT_TRUE(reader.Open(Write("empty", "").c_str()));
    EXPECT_EQ(reader.Read(buffer.data(), 16).status, Status::EndOfFile);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

TEST_F(FileContentReaderTest, RefusesEverythingButRegularFiles) {
    ASSERT_EQ(symlink(Write("target", "linked").c_str(), PathOf("link").c_str()), 0);
    ASSERT_EQ(mkfifo(PathOf("fifo").c_str(), 0600), 0);
    int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = PathOf("socket");
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    FileContentReader reader;
    // A FIFO without a writer would block an ordinary open forever.
    for (const std::string& path : {PathOf("link"), PathOf("fifo"), socketPath, directory, std::string("/dev/null")}) {
        EXPECT_FALSE(reader.Open(path.c_str())) << path;
        EXPECT_FALSE(reader.IsOpen()) << path;
        EXPECT_NE(reader.LastError(), 0) << path;
    }
    EXPECT_FALSE(reader.Open(PathOf("absent").c_str()));
    EXPECT_EQ(reader.LastError(), ENOENT);
    close(listening);
    if (geteuid() != 0) {  // permissions do not bind root
        ASSERT_EQ(chmod(Write("locked", "secret").c_str(), 0), 0);
        EXPECT_FALSE(reader.Open(PathOf("locked").c_str()));
        EXPECT_EQ(reader.LastError(), EACCES);
    }
}

TEST_F(FileContentReaderTest, ReadErrorIsToldApartFromEndOfFile) {
    // This process's memory reads as an error at offset 0, where nothing is mapped.
    FileContentReader reader;
    ASSERT_TRUE(reader.Open("/proc/self/mem")) << reader.LastError();
    char buffer[64];
    EXPECT_EQ(reader.Read(buffer, sizeof buffer).status, Status::Failed);
    EXPECT_EQ(reader.LastError(), EIO);
}

}  // namespace
}  // namespace twinseek
