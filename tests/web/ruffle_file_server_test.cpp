#include <QTest>
#include <arpa/inet.h>
#include <fstream>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include "tests/support/temp_dir.h"
#include "web/ruffle_file_server.h"

namespace {

int connectTo(quint16 port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a {};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a), 0);
    return fd;
}

// Whether the server has closed the connection (end of stream or reset),
// reading whatever it sent.
bool closedByServer(int fd)
{
    char buf[65536];
    for (;;) {
        pollfd p { fd, POLLIN, 0 };
        if (poll(&p, 1, 0) <= 0)
            return false;
        const ssize_t n = read(fd, buf, sizeof buf);
        if (n <= 0)
            return true;
    }
}

long residentKb()
{
    std::ifstream in("/proc/self/statm");
    long size = 0, resident = 0;
    in >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

} // namespace

TEST(RuffleFileServer, IdleConnectionsAreClosedAndTheRestRefused)
{
    TempDir dir;
    RuffleFileServer server(QString::fromStdString(dir.path()), nullptr, { 300, 5, 64 * 1024 });
    ASSERT_TRUE(server.listening());
    std::vector<int> fds;
    for (int i = 0; i < 8; ++i) {
        fds.push_back(connectTo(server.port()));
        const char half[] = "GET /ruffle/x.js HTTP/1.1\r\nHost: a";
        ASSERT_GT(write(fds.back(), half, sizeof half - 1), 0);
    }
    QTest::qWait(100);
    EXPECT_EQ(server.connections(), 5);
    int refused = 0;
    for (int fd : fds)
        refused += closedByServer(fd);
    EXPECT_EQ(refused, 3);
    QTest::qWait(500);
    EXPECT_EQ(server.connections(), 0) << "half-sent requests do not stay open";
    for (int fd : fds) {
        EXPECT_TRUE(closedByServer(fd));
        close(fd);
    }
}

TEST(RuffleFileServer, UnreadRepliesOfABigFileCostLittleMemory)
{
    TempDir dir;
    const std::string big(20 << 20, 'w');
    writeBytes(dir.file("big.wasm"), big);
    RuffleFileServer server(QString::fromStdString(dir.path()), nullptr);
    const long before = residentKb();
    std::vector<int> fds;
    for (int i = 0; i < 20; ++i) {
        fds.push_back(connectTo(server.port()));
        const char request[] = "GET /ruffle/big.wasm HTTP/1.1\r\nHost: a\r\n\r\n";
        ASSERT_GT(write(fds.back(), request, sizeof request - 1), 0);
    }
    QTest::qWait(500);
    const long grown = residentKb() - before;
    // A copy per reply would be 400 MB. The address sanitizer keeps freed
    // memory in quarantine, which counts as resident too.
#ifdef __SANITIZE_ADDRESS__
    constexpr long kBoundKb = 160 * 1024;
#else
    constexpr long kBoundKb = 60 * 1024;
#endif
    EXPECT_LT(grown, kBoundKb) << "one copy of the file and a chunk per reader, not a copy each";

    // The replies are whole for a reader that reads.
    std::string reply;
    char buf[65536];
    for (int i = 0; i < 4000; ++i) {
        QCoreApplication::processEvents();
        pollfd p { fds[0], POLLIN, 10 };
        if (poll(&p, 1, 10) > 0) {
            const ssize_t n = read(fds[0], buf, sizeof buf);
            if (n <= 0)
                break;
            reply.append(buf, static_cast<size_t>(n));
        }
    }
    const size_t bodyAt = reply.find("\r\n\r\n");
    ASSERT_NE(bodyAt, std::string::npos);
    EXPECT_NE(reply.find("Content-Type: application/wasm"), std::string::npos);
    EXPECT_EQ(reply.size() - bodyAt - 4, big.size());
    for (int fd : fds)
        close(fd);
}
