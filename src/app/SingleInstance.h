// One window for every file: whether a start hands its files to the running Norra of the same
// user and display, the socket that joins them and the message that goes over it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace norra {

// What a start hands to the running window: the sender's working folder (its relative file
// names are taken from there) and its arguments, the program's path not included.
struct HandOver {
  std::string workingFolder;
  std::vector<std::string> args;
  bool operator==(const HandOver&) const = default;
};

// The option that starts another window on purpose.
inline constexpr std::string_view kNewWindowOption = "--new-window";
// The running window's answer once it took a hand-over.
inline constexpr std::string_view kHandOverAccepted = "ok\n";
// The most a socket's path may hold (sockaddr_un's sun_path, its terminating NUL not counted).
inline constexpr std::size_t kMaxSocketPath = 107;

// The socket of a user's display: <runtimeFolder>/norra-<display>.socket. The display is the
// Wayland one when there is one, else the X one without its screen number (":0.1" is ":0"),
// else "none"; characters a file name should not hold become "_". Empty, so that every start
// runs its own window, when there is no runtime folder or the path would be too long.
std::string InstanceSocketPath(std::string_view runtimeFolder, std::string_view waylandDisplay,
                               std::string_view x11Display);

// Removes every kNewWindowOption from args; true when there was one.
bool TakeNewWindowOption(std::vector<std::string>& args);

// A start that names its own settings file ("-F") keeps its own window: the running one works
// with other settings.
bool MayHandOver(const std::vector<std::string>& args);

// The message: a first line naming the format, the number of arguments, then the working folder
// and each argument as its length in decimal, a line break, its bytes and a line break. Any byte
// may be in a path, so nothing is escaped.
std::string EncodeHandOver(const HandOver& handOver);

// Reads a message as its bytes arrive.
class HandOverReader {
 public:
  enum class State {
    NeedMore,  // a message has begun and is not complete yet
    Complete,  // Message() holds it; bytes after it are ignored
    Invalid,   // not a hand-over (or larger than any real one); the connection should close
  };
  // The most a message may take: a command line of the system's limits fits with room.
  static constexpr std::size_t kMaxBytes = 8u << 20;

  State Feed(std::string_view bytes);
  State Current() const { return state_; }
  const HandOver& Message() const { return message_; }

 private:
  State Parse();

  std::string buffer_;
  State state_ = State::NeedMore;
  HandOver message_;
};

// The files a hand-over opens: its arguments joined into paths as a command line's are, made
// absolute against the sender's working folder. None when the arguments name a settings file.
std::vector<std::string> HandedOverFiles(const HandOver& handOver);

// What a start needs of local sockets; the desktop's implementation uses Qt's, tests a fake.
class InstanceChannel {
 public:
  enum class SocketState {
    Absent,  // no file at the path
    Stale,   // a file no one listens on: left by a Norra that crashed
    Live,    // a Norra listens
  };
  virtual ~InstanceChannel() = default;
  // Sends request to the window listening at path and returns its answer; empty when no one
  // listens or no answer came within a few seconds.
  virtual std::string Exchange(const std::string& path, const std::string& request) = 0;
  virtual SocketState Probe(const std::string& path) = 0;
  virtual void Remove(const std::string& path) = 0;
  // Listens at path from now on; false when that failed.
  virtual bool Listen(const std::string& path) = 0;
};

enum class StartRole {
  HandedOver,  // the running window took the files: this process ends now, status 0
  Serving,     // this process runs the window and takes later starts' files
  Alone,       // this process runs a window of its own that no later start reaches
};

// Decides a start. args loses kNewWindowOption. A socket no one listens on is removed, so a
// crashed Norra never blocks a start; a window that listens but does not answer is left alone
// and this start runs its own.
StartRole DecideStart(std::vector<std::string>& args, const std::string& workingFolder,
                      const std::string& socketPath, InstanceChannel& channel);

}  // namespace norra
