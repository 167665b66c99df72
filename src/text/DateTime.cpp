// Local date and time, and the letter-pattern formatter (Japanese names, CP932 output).
#include "text/DateTime.h"

#include <array>
#include <chrono>
#include <ctime>

#include "text/AsciiCase.h"
#include "text/Cp932.h"

namespace norra {

namespace {

// Japanese names, written as CP932 bytes so the output never depends on a conversion table.
const std::array<const char*, 12> kMonthNames = {
    "1\x8C\x8E",  "2\x8C\x8E",  "3\x8C\x8E", "4\x8C\x8E", "5\x8C\x8E",  "6\x8C\x8E",
    "7\x8C\x8E",  "8\x8C\x8E",  "9\x8C\x8E", "10\x8C\x8E", "11\x8C\x8E", "12\x8C\x8E"};
// 日 月 火 水 木 金 土
const std::array<const char*, 7> kShortDayNames = {"\x93\xFA", "\x8C\x8E", "\x89\xCE", "\x90\x85",
                                                   "\x96\xD8", "\x8B\xE0", "\x93\x79"};
const char* const kYoubi = "\x97\x6A\x93\xFA";  // 曜日
const char* const kAm = "\x8C\xDF\x91\x4F";     // 午前
const char* const kPm = "\x8C\xDF\x8C\xE3";     // 午後
const char* const kShortDate = "yyyy/mm/dd";
const char* const kLongDate = "yyyy'\x94\x4E'm'\x8C\x8E'd'\x93\xFA'";  // yyyy'年'm'月'd'日'
const char* const kShortTime = "h:mm";
const char* const kLongTime = "h:mm:ss";

// Case-insensitive test that text at pos starts with the ASCII word.
bool StartsWithNoCase(std::string_view text, std::size_t pos, std::string_view word) {
  return StartsWithIgnoringAsciiCase(text.substr(pos), word);
}

bool IsLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

class Formatter {
 public:
  Formatter(const DateTime& dateTime, std::string& out) : dt_(dateTime), out_(out) {}

  bool Append(std::string_view format) {
    char lastToken = ' ';
    std::size_t i = 0;
    while (i < format.size()) {
      const char starter = format[i];
      const int step = CharStepAt(format, i);
      if (step == 2) {
        // A trail byte may look like a letter; copy the character whole. It also ends
        // the "h then m" context, as in the classic formatter.
        out_.append(format.substr(i, 2));
        i += 2;
        lastToken = ' ';
        continue;
      }
      ++i;
      char token = AsciiUpper(starter);
      if (token >= 'A' && token <= 'Z') {
        if (token == 'M' && lastToken == 'H') token = 'N';
        lastToken = token;
      }
      switch (token) {
        case 'Y': {
          const int count = CountRun(format, i, starter);
          if (count <= 2) {
            AppendNumber(dt_.year % 100, 2);
          } else {
            AppendNumber(dt_.year, 4);
          }
          break;
        }
        case 'M': {
          const int count = CountRun(format, i, starter);
          if (count <= 2) {
            AppendNumber(dt_.month, count);
          } else {
            out_ += kMonthNames[static_cast<std::size_t>(dt_.month - 1)];
          }
          break;
        }
        case 'D': {
          const int count = CountRun(format, i, starter);
          if (count <= 2) {
            AppendNumber(dt_.day, count);
          } else if (count == 3) {
            out_ += kShortDayNames[static_cast<std::size_t>(dt_.DayOfWeek())];
          } else if (count == 4) {
            out_ += kShortDayNames[static_cast<std::size_t>(dt_.DayOfWeek())];
            out_ += kYoubi;
          } else if (count == 5) {
            Append(kShortDate);
          } else {
            Append(kLongDate);
          }
          break;
        }
        case 'H': {
          const int count = CountRun(format, i, starter);
          if (!use12Hour_ && MarkerFollows(format, i)) use12Hour_ = true;
          int hour = dt_.hour;
          if (use12Hour_) {
            if (hour == 0) {
              hour = 12;
            } else if (hour > 12) {
              hour -= 12;
            }
          }
          AppendNumber(hour, count > 2 ? 2 : count);
          break;
        }
        case 'N': {
          const int count = CountRun(format, i, starter);
          AppendNumber(dt_.minute, count > 2 ? 2 : count);
          break;
        }
        case 'S': {
          const int count = CountRun(format, i, starter);
          AppendNumber(dt_.second, count > 2 ? 2 : count);
          break;
        }
        case 'Z': {
          const int count = CountRun(format, i, starter);
          AppendNumber(dt_.millisecond, count > 3 ? 3 : count);
          break;
        }
        case 'T': {
          const int count = CountRun(format, i, starter);
          Append(count == 1 ? kShortTime : kLongTime);
          break;
        }
        case 'C': {
          CountRun(format, i, starter);
          Append(kShortDate);
          if (dt_.hour != 0 || dt_.minute != 0 || dt_.second != 0) {
            out_ += ' ';
            Append(kLongTime);
          }
          break;
        }
        case 'A': {
          const std::size_t at = i - 1;
          const bool pm = dt_.hour >= 12;
          if (StartsWithNoCase(format, at, "AM/PM")) {
            out_.append(format.substr(pm ? at + 3 : at, 2));
            i = at + 5;
            use12Hour_ = true;
          } else if (StartsWithNoCase(format, at, "A/P")) {
            out_.append(format.substr(pm ? at + 2 : at, 1));
            i = at + 3;
            use12Hour_ = true;
          } else if (StartsWithNoCase(format, at, "AMPM")) {
            out_ += pm ? kPm : kAm;
            i = at + 4;
            use12Hour_ = true;
          } else {
            out_ += starter;
          }
          break;
        }
        case '\'':
        case '"': {
          const std::size_t start = i;
          while (i < format.size() && format[i] != starter) i += CharStepAt(format, i);
          if (i >= format.size()) return false;
          out_.append(format.substr(start, i - start));
          ++i;
          break;
        }
        default:
          // "/" and ":" are the Japanese separators themselves, so they are copied too.
          out_ += starter;
          break;
      }
    }
    return true;
  }

 private:
  // Consumes the rest of a run of the same letter (either case); returns the run's length.
  static int CountRun(std::string_view format, std::size_t& i, char starter) {
    int count = 1;
    while (i < format.size() && AsciiUpper(format[i]) == AsciiUpper(starter)) {
      ++i;
      ++count;
    }
    return count;
  }

  // Whether a 12-hour marker is the next "a" code after an hour code (before any other h).
  static bool MarkerFollows(std::string_view format, std::size_t i) {
    bool quoted = false;
    char quote = 0;
    while (i < format.size()) {
      const int step = CharStepAt(format, i);
      if (step == 2) {
        i += 2;
        continue;
      }
      const char c = format[i];
      if (quoted) {
        if (c == quote) quoted = false;
      } else if (c == '\'' || c == '"') {
        quoted = true;
        quote = c;
      } else if (c == 'a' || c == 'A') {
        return StartsWithNoCase(format, i, "AM/PM") || StartsWithNoCase(format, i, "A/P") ||
               StartsWithNoCase(format, i, "AMPM");
      } else if (c == 'h' || c == 'H') {
        return false;
      }
      ++i;
    }
    return false;
  }

  void AppendNumber(int value, int minDigits) {
    std::string digits = std::to_string(value);
    if (static_cast<int>(digits.size()) < minDigits) {
      out_.append(static_cast<std::size_t>(minDigits) - digits.size(), '0');
    }
    out_ += digits;
  }

  const DateTime& dt_;
  std::string& out_;
  bool use12Hour_ = false;
};

}  // namespace

int DateTime::DayOfWeek() const {
  // Sakamoto's method.
  static constexpr std::array<int, 12> kOffsets = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  int y = year;
  if (month < 3) y -= 1;
  const int m = month >= 1 && month <= 12 ? month : 1;
  const int dow = (y + y / 4 - y / 100 + y / 400 + kOffsets[static_cast<std::size_t>(m - 1)] + day) % 7;
  return dow < 0 ? dow + 7 : dow;
}

bool DateTime::IsValid() const {
  if (year < 1 || year > 9999 || month < 1 || month > 12) return false;
  if (day < 1 || day > DaysInMonth(year, month)) return false;
  return hour >= 0 && hour <= 23 && minute >= 0 && minute <= 59 && second >= 0 && second <= 60 &&
         millisecond >= 0 && millisecond <= 999;
}

DateTime Now() {
  const auto now = std::chrono::system_clock::now();
  const auto sinceEpoch = now.time_since_epoch();
  const std::time_t seconds = std::chrono::system_clock::to_time_t(now);
  std::tm local{};
  localtime_r(&seconds, &local);
  DateTime result;
  result.year = local.tm_year + 1900;
  result.month = local.tm_mon + 1;
  result.day = local.tm_mday;
  result.hour = local.tm_hour;
  result.minute = local.tm_min;
  result.second = local.tm_sec;
  const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(sinceEpoch).count() % 1000;
  result.millisecond = static_cast<int>(ms < 0 ? ms + 1000 : ms);
  return result;
}

bool FormatDateTime(std::string_view formatCp932, const DateTime& dateTime, std::string& outCp932) {
  outCp932.clear();
  if (!dateTime.IsValid()) return false;
  Formatter formatter(dateTime, outCp932);
  return formatter.Append(formatCp932);
}

}  // namespace norra
