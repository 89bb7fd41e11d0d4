#include "platform/posix/unix_stream.h"

#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/socket.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "support/fake_service.h"

namespace tarvelin {
namespace {

class UnixStreamTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/tarvelin-stream-XXXXXX";
    ASSERT_NE(::mkdtemp(pattern), nullptr);
    dir_ = pattern;
    path_ = dir_ + "/s.sock";
  }
  void TearDown() override {
    if (listener_ >= 0) ::close(listener_);
    if (peer_ >= 0) ::close(peer_);
    std::filesystem::remove_all(dir_);
  }

  // Connects `stream` to a fresh listener and accepts the peer end.
  void ConnectPair(UnixStream* stream) {
    listener_ = ListenUnixSocket(path_, 4);
    ASSERT_GE(listener_, 0);
    ASSERT_EQ(stream->Connect(path_), UnixStream::ConnectResult::kConnected);
    ASSERT_TRUE(stream->is_open());
    peer_ = ::accept(listener_, nullptr, nullptr);
    ASSERT_GE(peer_, 0);
  }

  void ClosePeer() {
    ::close(peer_);
    peer_ = -1;
  }

  std::string dir_;
  std::string path_;
  int listener_ = -1;
  int peer_ = -1;
};

TEST_F(UnixStreamTest, ConnectFailsWithoutListener) {
  // A socket file left behind by a listener that is gone.
  const std::string kStale = dir_ + "/stale.sock";
  ::close(ListenUnixSocket(kStale, 1));
  const std::string kTooLong = "/tmp/" + std::string(120, 'x') + ".sock";
  for (const std::string& path : {path_, kStale, std::string(), kTooLong}) {
    UnixStream stream;
    EXPECT_EQ(stream.Connect(path), UnixStream::ConnectResult::kFailed) << path;
    EXPECT_FALSE(stream.is_open());
  }
}

TEST_F(UnixStreamTest, FullListenQueueIsBusy) {
  listener_ = ListenUnixSocket(path_, 0);
  ASSERT_GE(listener_, 0);
  // A backlog of 0 admits one pending connection; the next finds it full.
  UnixStream queued;
  ASSERT_EQ(queued.Connect(path_), UnixStream::ConnectResult::kConnected);
  UnixStream refused;
  EXPECT_EQ(refused.Connect(path_), UnixStream::ConnectResult::kBusy);
  EXPECT_FALSE(refused.is_open());

  peer_ = ::accept(listener_, nullptr, nullptr);
  ASSERT_GE(peer_, 0);
  EXPECT_EQ(refused.Connect(path_), UnixStream::ConnectResult::kConnected);
}

TEST_F(UnixStreamTest, WriteAllDeliversLargeBufferInOrder) {
  UnixStream stream;
  ConnectPair(&stream);
  // Far above the socket buffer: the writer has to wait for the reader.
  std::vector<char> sent(4 << 20);
  for (size_t i = 0; i < sent.size(); ++i) sent[i] = static_cast<char>(i * 7);
  std::vector<char> received;
  std::thread reader([&] {
    char buffer[65536];
    ssize_t n;
    while ((n = ::recv(peer_, buffer, sizeof(buffer), 0)) > 0) {
      received.insert(received.end(), buffer, buffer + n);
    }
  });
  EXPECT_TRUE(stream.WriteAll(sent.data(), sent.size()));
  stream.Close();
  reader.join();
  EXPECT_TRUE(received == sent);
}

TEST_F(UnixStreamTest, ReadExactJoinsPiecesAndStopsAtEnd) {
  UnixStream stream;
  ConnectPair(&stream);
  ASSERT_EQ(::send(peer_, "abc", 3, 0), 3);
  std::thread writer([&] { ::send(peer_, "defgh", 5, 0); });
  char buffer[8];
  EXPECT_TRUE(stream.ReadExact(buffer, 8, 5000));
  writer.join();
  EXPECT_EQ(std::string(buffer, 8), "abcdefgh");

  ASSERT_EQ(::send(peer_, "xy", 2, 0), 2);
  ClosePeer();
  EXPECT_FALSE(stream.ReadExact(buffer, 4, 5000));
}

TEST_F(UnixStreamTest, ReadSomeReturnsWhatIsThereThenEndOfStream) {
  UnixStream stream;
  ConnectPair(&stream);
  ASSERT_EQ(::send(peer_, "hello", 5, 0), 5);
  char buffer[64];
  ASSERT_EQ(stream.ReadSome(buffer, sizeof(buffer), 5000), 5);
  EXPECT_EQ(std::string(buffer, 5), "hello");
  ClosePeer();
  EXPECT_EQ(stream.ReadSome(buffer, sizeof(buffer), 5000), 0);
}

TEST_F(UnixStreamTest, ReadsTimeOutWhenPeerIsSilent) {
  UnixStream stream;
  ConnectPair(&stream);
  char buffer[4];
  EXPECT_EQ(stream.ReadSome(buffer, sizeof(buffer), 20), -1);
  ASSERT_EQ(::send(peer_, "ab", 2, 0), 2);
  EXPECT_FALSE(stream.ReadExact(buffer, 4, 20));
}

TEST_F(UnixStreamTest, WriteToClosedPeerFailsWithoutSignal) {
  UnixStream stream;
  ConnectPair(&stream);
  ClosePeer();
  // Without MSG_NOSIGNAL the SIGPIPE would end the test process here.
  char data[1024] = {};
  EXPECT_FALSE(stream.WriteAll(data, sizeof(data)));
}

TEST_F(UnixStreamTest, ClosedStreamRefusesIo) {
  UnixStream stream;
  ConnectPair(&stream);
  stream.Close();
  EXPECT_FALSE(stream.is_open());
  char buffer[4] = {};
  EXPECT_FALSE(stream.WriteAll(buffer, sizeof(buffer)));
  EXPECT_EQ(stream.ReadSome(buffer, sizeof(buffer), 0), -1);
  EXPECT_FALSE(stream.ReadExact(buffer, sizeof(buffer), 0));
}

}  // namespace
}  // namespace tarvelin
