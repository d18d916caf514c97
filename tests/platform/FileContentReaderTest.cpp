#include "platform/FileContentReader.h"

#include "tests/platform/TemporaryTree.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

namespace twinseek {
namespace {

using Status = FileContentReader::ReadStatus;

TEST(FileContentReaderTest, ReadsARegularFileToItsEndAndTellsAReadErrorFromTheEnd) {
    testing::TemporaryTree tree;
    std::string content(FileContentReader::kBlockSize * 2 + 123, '\0');
    for (size_t i = 0; i < content.size(); ++i) content[i] = char(i * 7 + 3);
    testing::WriteBytes(tree.Path("data"), content);
    FileContentReader reader;
    ASSERT_TRUE(reader.Open(tree.Path("data").c_str()));
    std::string read;
    std::string buffer(FileContentReader::kBlockSize, '\0');
    FileContentReader::ReadResult result;
    while ((result = reader.Read(buffer.data(), buffer.size())).status == Status::Data)
        read.append(buffer, 0, result.bytes);
    EXPECT_EQ(result.status, Status::EndOfFile);
    EXPECT_EQ(read, content);
    EXPECT_EQ(reader.Read(buffer.data(), 16).status, Status::EndOfFile) << "the end stays the end";

    // This process's memory reads as an error at offset 0, where nothing is mapped.
    ASSERT_TRUE(reader.Open("/proc/self/mem")) << reader.LastError();
    EXPECT_EQ(reader.Read(buffer.data(), 64).status, Status::Failed);
    EXPECT_EQ(reader.LastError(), EIO);
    reader.Close();
    EXPECT_FALSE(reader.IsOpen());
}

TEST(FileContentReaderTest, RefusesEverythingButRegularFiles) {
    testing::TemporaryTree tree;
    testing::WriteBytes(tree.Path("target"), "linked");
    tree.Link("link", tree.Path("target"));
    ASSERT_EQ(mkfifo(tree.Path("fifo").c_str(), 0600), 0);
    int listening = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::string socketPath = tree.Path("socket");
    socketPath.copy(address.sun_path, sizeof address.sun_path - 1);
    ASSERT_EQ(bind(listening, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);

    FileContentReader reader;
    // A FIFO without a writer would block an ordinary open forever.
    for (const std::string& path : {tree.Path("link"), tree.Path("fifo"), socketPath, tree.Root(), std::string("/dev/null")}) {
        EXPECT_FALSE(reader.Open(path.c_str())) << path;
        EXPECT_FALSE(reader.IsOpen()) << path;
        EXPECT_NE(reader.LastError(), 0) << path;
    }
    EXPECT_FALSE(reader.Open(tree.Path("absent").c_str()));
    EXPECT_EQ(reader.LastError(), ENOENT);
    close(listening);
    if (geteuid() != 0) {  // permissions do not bind root
        testing::WriteBytes(tree.Path("locked"), "secret");
        ASSERT_EQ(chmod(tree.Path("locked").c_str(), 0), 0);
        EXPECT_FALSE(reader.Open(tree.Path("locked").c_str()));
        EXPECT_EQ(reader.LastError(), EACCES);
    }
}

}  // namespace
}  // namespace twinseek
