#include "NetSupport.h"

#include "sockbuf.h"

#include <sys/stat.h>

namespace {

// Reads n characters through the buffer's get side.
std::string Take(sockbuf& buffer, size_t n)
{
    std::string bytes;
    while (bytes.size() < n) {
        const auto c = buffer.sbumpc();
        if (c == std::char_traits<char>::eof())
            break;
        bytes += static_cast<char>(c);
    }
    return bytes;
}

} // namespace

TEST(Sockbuf, LogsBothDirectionsWithOneMarkerPerChange)
{
    CScratchDir scratch;
    CRawPeer peer;
    {
        sockbuf buffer;
        ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
        EXPECT_TRUE(buffer.IsConnected());
        peer.Accept();

        // A block that begins with 0xFF is data, not the end of input.
        peer.Send("\xff" "ab");
        EXPECT_EQ(buffer.sgetc(), 0xff);
        EXPECT_EQ(Take(buffer, 3), "\xff" "ab");
        peer.Send("cd");
        EXPECT_EQ(Take(buffer, 2), "cd");

        EXPECT_EQ(buffer.sputn("xy", 2), 2);
        EXPECT_EQ(buffer.pubsync(), 0);
        EXPECT_EQ(peer.Receive(2), "xy");
        EXPECT_EQ(buffer.pubsync(), 0);   // nothing to send: no marker either

        peer.Send("z");
        EXPECT_EQ(Take(buffer, 1), "z");

        // A full put area and one more character: two sends, one marker.
        const std::string big(sockbuf::kAreaSize, 'q');
        EXPECT_EQ(buffer.sputn(big.data(), static_cast<std::streamsize>(big.size())), std::streamsize(big.size()));
        EXPECT_NE(buffer.sputc('!'), std::char_traits<char>::eof());
        EXPECT_EQ(buffer.pubsync(), 0);
        EXPECT_EQ(peer.Receive(big.size() + 1), big + "!");

        EXPECT_EQ(ReadFile("recv.txt"), "[recv]\xff" "abcd[send]xy[recv]z[send]" + big + "!");
    }
    // The log is its owner's alone.
    struct stat info {};
    ASSERT_EQ(::stat("recv.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Sockbuf, ReplacesTheOldLogAndNarrowsItsRights)
{
    CScratchDir scratch;
    {
        std::ofstream old("recv.txt");
        old << "an earlier session";
    }
    ::chmod("recv.txt", 0644);
    sockbuf buffer;
    EXPECT_EQ(ReadFile("recv.txt"), "");
    struct stat info {};
    ASSERT_EQ(::stat("recv.txt", &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0600u);
}

TEST(Sockbuf, PeerCloseIsStickyAndRefusesWork)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Send("last");
    peer.Close();
    EXPECT_EQ(Take(buffer, 10), "last");
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrConnectionClosed);
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());

    // Sends are refused once the error is set, and Connect hands the error back.
    buffer.sputc('x');
    EXPECT_EQ(buffer.pubsync(), -1);
    EXPECT_EQ(buffer.Connect("127.0.0.1", peer.port), sockbuf::kErrConnectionClosed);
    EXPECT_EQ(ReadFile("recv.txt"), "[recv]last");
}

TEST(Sockbuf, ResetByPeer)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    peer.Reset();
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(buffer.GetError(), sockbuf::kErrConnectionReset);
}

TEST(Sockbuf, ConnectAndDisconnectCodes)
{
    CScratchDir scratch;
    {
        sockbuf buffer;
        EXPECT_EQ(buffer.Disconnect(), sockbuf::kErrNotConnected);
        EXPECT_EQ(buffer.Connect("", 5000), sockbuf::kErrHostUnavailable);
        // A port that nobody listens on: take one and let it go again.
        uint16_t unused;
        {
            CRawPeer gone;
            unused = gone.port;
        }
        EXPECT_EQ(buffer.Connect("127.0.0.1", unused), sockbuf::kErrConnectFailed);
        EXPECT_FALSE(buffer.IsConnected());
        EXPECT_EQ(buffer.GetError(), 0);   // connect failures are only returned
        // Without a connection the buffer neither reads nor sends.
        EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
        buffer.sputc('x');
        EXPECT_EQ(buffer.pubsync(), -1);
    }
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("localhost", peer.port), 0);
    EXPECT_EQ(buffer.Connect("127.0.0.1", peer.port), sockbuf::kErrAlreadyConnected);
    EXPECT_EQ(buffer.Disconnect(), 0);
    EXPECT_FALSE(buffer.IsConnected());
    EXPECT_EQ(buffer.Disconnect(), sockbuf::kErrNotConnected);
    EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof());
    EXPECT_EQ(buffer.GetError(), 0);
}

TEST(Sockbuf, DisconnectWakesABlockedReceive)
{
    CScratchDir scratch;
    CRawPeer peer;
    sockbuf buffer;
    ASSERT_EQ(buffer.Connect("127.0.0.1", peer.port), 0);
    peer.Accept();
    std::thread reader([&] { EXPECT_EQ(buffer.sgetc(), std::char_traits<char>::eof()); });
    // Whether the reader is already blocked or not, it must come back.
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(buffer.Disconnect(), 0);
    reader.join();
}
