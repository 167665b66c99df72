// Local date and time, and formatting it with letter patterns such as "yyyy/mm/dd hh:nn:ss".
#pragma once

#include <string>
#include <string_view>

namespace norra {

struct DateTime {
  int year = 1900;      // four-digit year, 1..9999
  int month = 1;        // 1..12
  int day = 1;          // 1..31 (checked against the month)
  int hour = 0;         // 0..23
  int minute = 0;       // 0..59
  int second = 0;       // 0..59 (60 is accepted for a leap second)
  int millisecond = 0;  // 0..999

  // 0 = Sunday .. 6 = Saturday (proleptic Gregorian calendar).
  int DayOfWeek() const;

  // True when every field lies in its range and the day exists in that month.
  bool IsValid() const;
};

// The current local date and time.
DateTime Now();

// Formats dateTime with the CP932 pattern and writes CP932 text to outCp932.
// Letters (any case): y yy (two-digit year), yyy yyyy (four digits), m mm (month; minutes
// when the last letter code before them was h), mmm mmmm (month name "1月".."12月"),
// d dd (day), ddd ("日".."土"), dddd ("日曜日".."土曜日"), ddddd (yyyy/mm/dd),
// dddddd (yyyy年m月d日), h hh, n nn, s ss, z zzz (milliseconds), t (h:mm), tt (h:mm:ss),
// c (ddddd, then " " and tt unless the time is exactly midnight), am/pm, a/p (copied in the
// case written), ampm (午前/午後); the three 12-hour markers make h and hh count 1..12.
// "/" and ":" are the date and time separators; text in '..' or ".." is copied without its
// quotes. Any other character, a double-byte one included, is copied as it is.
// Returns false (outCp932 then undefined) on an unterminated quote or an invalid dateTime.
bool FormatDateTime(std::string_view formatCp932, const DateTime& dateTime,
                    std::string& outCp932);

}  // namespace norra
