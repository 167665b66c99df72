// One window for every file: socket name, hand-over message and the decision of a start.
#include "app/SingleInstance.h"

#include <algorithm>
#include <charconv>

#include "app/CommandLine.h"

namespace norra {

namespace {

constexpr std::string_view kMagic = "norra-open 1\n";
// More arguments than any command line can pass.
constexpr std::size_t kMaxArguments = 1u << 20;

std::string FileNameSafe(std::string_view text) {
  std::string safe;
  for (const char c : text) {
    const bool keep = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                      c == '-' || c == '.';
    safe += keep ? c : '_';
  }
  return safe;
}

// Reads "<decimal>\n" at pos; false when the bytes are not there yet (more) or malformed.
enum class Field { Ok, More, Bad };
Field ReadNumber(std::string_view buffer, std::size_t& pos, std::size_t& value) {
  const std::size_t end = buffer.find('\n', pos);
  if (end == std::string_view::npos) return buffer.size() - pos > 20 ? Field::Bad : Field::More;
  if (end == pos) return Field::Bad;
  const auto [ptr, error] = std::from_chars(buffer.data() + pos, buffer.data() + end, value);
  if (error != std::errc() || ptr != buffer.data() + end) return Field::Bad;
  pos = end + 1;
  return Field::Ok;
}

Field ReadBytes(std::string_view buffer, std::size_t& pos, std::string& into) {
  std::size_t length = 0;
  std::size_t at = pos;
  if (const Field f = ReadNumber(buffer, at, length); f != Field::Ok) return f;
  if (length > HandOverReader::kMaxBytes) return Field::Bad;
  if (buffer.size() - at < length + 1) return Field::More;
  if (buffer[at + length] != '\n') return Field::Bad;
  into.assign(buffer.substr(at, length));
  pos = at + length + 1;
  return Field::Ok;
}

}  // namespace

std::string InstanceSocketPath(std::string_view runtimeFolder, std::string_view waylandDisplay,
                               std::string_view x11Display) {
  if (runtimeFolder.empty()) return std::string();
  std::string display;
  if (!waylandDisplay.empty()) {
    display = FileNameSafe(waylandDisplay);
  } else if (!x11Display.empty()) {
    // "host:display.screen": every screen of one display is one desktop.
    std::string_view x = x11Display;
    const std::size_t colon = x.rfind(':');
    const std::size_t dot = x.find('.', colon == std::string_view::npos ? 0 : colon);
    if (colon != std::string_view::npos && dot != std::string_view::npos) x = x.substr(0, dot);
    display = "x" + FileNameSafe(x);
  } else {
    display = "none";
  }
  std::string path(runtimeFolder);
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  path += "/norra-" + display + ".socket";
  return path.size() > kMaxSocketPath ? std::string() : path;
}

bool TakeNewWindowOption(std::vector<std::string>& args) {
  const auto end = std::remove(args.begin(), args.end(), std::string(kNewWindowOption));
  const bool found = end != args.end();
  args.erase(end, args.end());
  return found;
}

bool MayHandOver(const std::vector<std::string>& args) {
  return args.empty() || args.front() != "-F";
}

std::string EncodeHandOver(const HandOver& handOver) {
  std::string out(kMagic);
  const auto put = [&out](std::string_view bytes) {
    out += std::to_string(bytes.size());
    out += '\n';
    out += bytes;
    out += '\n';
  };
  out += std::to_string(handOver.args.size());
  out += '\n';
  put(handOver.workingFolder);
  for (const std::string& arg : handOver.args) put(arg);
  return out;
}

HandOverReader::State HandOverReader::Feed(std::string_view bytes) {
  if (state_ != State::NeedMore) return state_;
  if (buffer_.size() + bytes.size() > kMaxBytes) return state_ = State::Invalid;
  buffer_.append(bytes);
  return state_ = Parse();
}

HandOverReader::State HandOverReader::Parse() {
  const std::string_view buffer = buffer_;
  const std::size_t magic = std::min(buffer.size(), kMagic.size());
  if (buffer.substr(0, magic) != kMagic.substr(0, magic)) return State::Invalid;
  if (buffer.size() < kMagic.size()) return State::NeedMore;
  std::size_t pos = kMagic.size();
  std::size_t count = 0;
  HandOver message;
  const auto state = [](Field f) { return f == Field::More ? State::NeedMore : State::Invalid; };
  if (const Field f = ReadNumber(buffer, pos, count); f != Field::Ok) return state(f);
  if (count > kMaxArguments) return State::Invalid;
  if (const Field f = ReadBytes(buffer, pos, message.workingFolder); f != Field::Ok) return state(f);
  message.args.resize(count);
  for (std::string& arg : message.args) {
    if (const Field f = ReadBytes(buffer, pos, arg); f != Field::Ok) return state(f);
  }
  message_ = std::move(message);
  buffer_.clear();
  return State::Complete;
}

std::vector<std::string> HandedOverFiles(const HandOver& handOver) {
  if (!MayHandOver(handOver.args)) return {};
  return JoinFileArguments(handOver.args, 0, handOver.workingFolder);
}

StartRole DecideStart(std::vector<std::string>& args, const std::string& workingFolder,
                      const std::string& socketPath, InstanceChannel& channel) {
  const bool newWindow = TakeNewWindowOption(args);
  if (socketPath.empty()) return StartRole::Alone;
  if (!newWindow && MayHandOver(args) &&
      channel.Exchange(socketPath, EncodeHandOver(HandOver{workingFolder, args})) == kHandOverAccepted) {
    return StartRole::HandedOver;
  }
  switch (channel.Probe(socketPath)) {
    case InstanceChannel::SocketState::Live:
      return StartRole::Alone;
    case InstanceChannel::SocketState::Stale:
      channel.Remove(socketPath);
      break;
    case InstanceChannel::SocketState::Absent:
      break;
  }
  return channel.Listen(socketPath) ? StartRole::Serving : StartRole::Alone;
}

}  // namespace norra
