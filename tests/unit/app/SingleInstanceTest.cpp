// A start hands its files to the running window, or runs its own: socket name, message, decision.
#include "app/SingleInstance.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace norra {
namespace {

TEST(SingleInstanceTest, SocketIsPerDisplayInTheRuntimeFolder) {
  struct Case {
    std::string runtime;
    const char* wayland;
    const char* x11;
    std::string path;
  };
  const Case cases[] = {
      {"/run/user/1000", "wayland-0", ":0", "/run/user/1000/norra-wayland-0.socket"},
      {"/run/user/1000/", "", ":0", "/run/user/1000/norra-x_0.socket"},
      {"/run/user/1000", "", ":0.1", "/run/user/1000/norra-x_0.socket"},  // one display, two screens
      {"/run/user/1000", "", "localhost:10.0", "/run/user/1000/norra-xlocalhost_10.socket"},
      {"/run/user/1000", "/tmp/w y", "", "/run/user/1000/norra-_tmp_w_y.socket"},
      {"/run/user/1000", "", "", "/run/user/1000/norra-none.socket"},
      {"", "wayland-0", ":0", ""},                              // no runtime folder: no socket
      {"/" + std::string(100, 'r'), "wayland-0", "", ""},  // longer than a socket's path may be
  };
  for (const Case& c : cases) {
    EXPECT_EQ(InstanceSocketPath(c.runtime, c.wayland, c.x11), c.path) << c.runtime << " " << c.x11;
  }
}

TEST(SingleInstanceTest, HandOverRoundTripsAnyBytesFedInAnyPieces) {
  const HandOver sent{"/home/u/文書", {"a b.txt", "", "line\nbreak", std::string("nul\0x", 5), "-F"}};
  const std::string bytes = EncodeHandOver(sent);
  for (const std::size_t piece : {std::size_t{1}, std::size_t{7}, bytes.size()}) {
    HandOverReader reader;
    HandOverReader::State state = HandOverReader::State::NeedMore;
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
      EXPECT_EQ(state, HandOverReader::State::NeedMore) << "complete before its end, piece " << piece;
      state = reader.Feed(std::string_view(bytes).substr(at, piece));
    }
    ASSERT_EQ(state, HandOverReader::State::Complete) << piece;
    EXPECT_EQ(reader.Message(), sent);
  }
}

TEST(SingleInstanceTest, ReaderRefusesWhatIsNotAHandOver) {
  const std::string good = EncodeHandOver(HandOver{"/w", {"x"}});
  for (const std::string& bad : {std::string("GET / HTTP/1.1\r\n"), std::string("norra-open 2\n"),
                                 std::string("norra-open 1\nx\n"), std::string("norra-open 1\n1\n1\n/w\n"),
                                 std::string("norra-open 1\n1\n99999999999999999999999\n"),
                                 std::string("norra-open 1\n1\n-1\n")}) {
    HandOverReader reader;
    EXPECT_EQ(reader.Feed(bad), HandOverReader::State::Invalid) << bad;
  }
  HandOverReader huge;
  EXPECT_EQ(huge.Feed("norra-open 1\n1\n" + std::to_string(HandOverReader::kMaxBytes + 1) + "\n"),
            HandOverReader::State::Invalid);
  HandOverReader partial;
  EXPECT_EQ(partial.Feed(good.substr(0, good.size() - 1)), HandOverReader::State::NeedMore);
}

TEST(SingleInstanceTest, HandedOverFilesAreMadeAbsoluteAgainstTheSendersFolder) {
  EXPECT_EQ(HandedOverFiles(HandOver{"/home/u/work", {"a.txt", "/etc/b.txt"}}),
            (std::vector<std::string>{"/home/u/work/a.txt", "/etc/b.txt"}));
  EXPECT_EQ(HandedOverFiles(HandOver{"/home/u/work", {"../c.txt"}}), (std::vector<std::string>{"/home/u/c.txt"}));
  // An unquoted name with a space arrives split and opens as one file.
  EXPECT_EQ(HandedOverFiles(HandOver{"/nowhere-norra", {"my", "notes.txt"}}),
            (std::vector<std::string>{"/nowhere-norra/my notes.txt"}));
  EXPECT_TRUE(HandedOverFiles(HandOver{"/w", {}}).empty());
  EXPECT_TRUE(HandedOverFiles(HandOver{"/w", {"-F", "x.ini", "a.txt"}}).empty());
}

// A socket world of one path: who listens there and what the listener answers.
class FakeChannel : public InstanceChannel {
 public:
  SocketState state = SocketState::Absent;
  std::string answer = std::string(kHandOverAccepted);  // of a live listener
  bool listenWorks = true;
  std::vector<std::string> calls;
  std::vector<std::string> sent;

  std::string Exchange(const std::string& /*path*/, const std::string& request) override {
    calls.push_back("exchange");
    if (state != SocketState::Live) return std::string();
    sent.push_back(request);
    return answer;
  }
  SocketState Probe(const std::string& /*path*/) override {
    calls.push_back("probe");
    return state;
  }
  void Remove(const std::string& /*path*/) override {
    calls.push_back("remove");
    state = SocketState::Absent;
  }
  bool Listen(const std::string& /*path*/) override {
    calls.push_back("listen");
    if (!listenWorks || state != SocketState::Absent) return false;
    state = SocketState::Live;
    return true;
  }
};

TEST(SingleInstanceTest, StartHandsOverOrRunsItsOwnWindow) {
  using S = InstanceChannel::SocketState;
  struct Case {
    const char* what;
    std::vector<std::string> args;
    S socket;
    std::string answer;
    bool listenWorks;
    StartRole role;
    std::vector<std::string> calls;
  };
  const std::string ok(kHandOverAccepted);
  const Case cases[] = {
      {"first start", {"a.txt"}, S::Absent, ok, true, StartRole::Serving, {"exchange", "probe", "listen"}},
      {"second start", {"a.txt"}, S::Live, ok, true, StartRole::HandedOver, {"exchange"}},
      {"second start without files", {}, S::Live, ok, true, StartRole::HandedOver, {"exchange"}},
      {"crashed Norra's socket", {"a.txt"}, S::Stale, ok, true, StartRole::Serving,
       {"exchange", "probe", "remove", "listen"}},
      {"listener that does not answer", {"a.txt"}, S::Live, "", true, StartRole::Alone, {"exchange", "probe"}},
      {"new window while one runs", {"--new-window", "a.txt"}, S::Live, ok, true, StartRole::Alone, {"probe"}},
      {"new window first", {"a.txt", "--new-window"}, S::Absent, ok, true, StartRole::Serving, {"probe", "listen"}},
      {"own settings file", {"-F", "my.ini", "a.txt"}, S::Live, ok, true, StartRole::Alone, {"probe"}},
      {"socket cannot be made", {"a.txt"}, S::Absent, ok, false, StartRole::Alone, {"exchange", "probe", "listen"}},
  };
  for (const Case& c : cases) {
    FakeChannel channel;
    channel.state = c.socket;
    channel.answer = c.answer;
    channel.listenWorks = c.listenWorks;
    std::vector<std::string> args = c.args;
    EXPECT_EQ(DecideStart(args, "/home/u", "/run/user/1/norra-x_0.socket", channel), c.role) << c.what;
    EXPECT_EQ(channel.calls, c.calls) << c.what;
    EXPECT_EQ(std::count(args.begin(), args.end(), std::string(kNewWindowOption)), 0) << c.what;
    if (c.role == StartRole::HandedOver) {
      ASSERT_EQ(channel.sent.size(), 1u) << c.what;
      HandOverReader reader;
      ASSERT_EQ(reader.Feed(channel.sent.front()), HandOverReader::State::Complete) << c.what;
      EXPECT_EQ(reader.Message(), (HandOver{"/home/u", c.args})) << c.what;
    }
  }
  // Without a runtime folder every start runs alone and touches no socket.
  FakeChannel channel;
  std::vector<std::string> args{"--new-window"};
  EXPECT_EQ(DecideStart(args, "/w", "", channel), StartRole::Alone);
  EXPECT_TRUE(channel.calls.empty());
  EXPECT_TRUE(args.empty());
}

}  // namespace
}  // namespace norra
