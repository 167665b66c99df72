// Tests of the date-time letter-pattern formatter and the calendar helpers.
#include "text/DateTime.h"

#include <gtest/gtest.h>

#include <string>

namespace norra {
namespace {

DateTime Make(int year, int month, int day, int hour = 0, int minute = 0, int second = 0,
              int millisecond = 0) {
  DateTime dt;
  dt.year = year;
  dt.month = month;
  dt.day = day;
  dt.hour = hour;
  dt.minute = minute;
  dt.second = second;
  dt.millisecond = millisecond;
  return dt;
}

std::string Format(std::string_view format, const DateTime& dt) {
  std::string out = "garbage";
  EXPECT_TRUE(FormatDateTime(format, dt, out)) << format;
  return out;
}

// CP932 bytes of the Japanese texts the formatter produces.
const std::string kNen = "\x94\x4E";         // 年
const std::string kGatsu = "\x8C\x8E";       // 月
const std::string kNichi = "\x93\xFA";       // 日
const std::string kYoubi = "\x97\x6A\x93\xFA";  // 曜日
const std::string kGozen = "\x8C\xDF\x91\x4F";  // 午前
const std::string kGogo = "\x8C\xDF\x8C\xE3";   // 午後

TEST(DateTimeTest, DayOfWeekAndValidity) {
  EXPECT_EQ(Make(2001, 12, 24).DayOfWeek(), 1);  // Monday
  EXPECT_EQ(Make(2000, 1, 1).DayOfWeek(), 6);    // Saturday
  EXPECT_EQ(Make(2024, 2, 29).DayOfWeek(), 4);   // Thursday
  EXPECT_EQ(Make(1970, 1, 1).DayOfWeek(), 4);
  EXPECT_EQ(Make(2023, 3, 5).DayOfWeek(), 0);    // Sunday

  EXPECT_TRUE(Make(2024, 2, 29).IsValid());
  EXPECT_FALSE(Make(2023, 2, 29).IsValid());
  EXPECT_FALSE(Make(1900, 2, 29).IsValid());
  EXPECT_TRUE(Make(2000, 2, 29).IsValid());
  EXPECT_FALSE(Make(2001, 4, 31).IsValid());
  EXPECT_FALSE(Make(2001, 13, 1).IsValid());
  EXPECT_FALSE(Make(2001, 0, 1).IsValid());
  EXPECT_FALSE(Make(2001, 1, 1, 24).IsValid());
  EXPECT_FALSE(Make(2001, 1, 1, 0, 0, 0, 1000).IsValid());
  EXPECT_FALSE(Make(0, 1, 1).IsValid());
}

TEST(DateTimeTest, NowIsAValidLocalTime) {
  const DateTime now = Now();
  EXPECT_TRUE(now.IsValid());
  EXPECT_GE(now.year, 2020);
}

TEST(DateTimeTest, NumericCodes) {
  const DateTime dt = Make(2001, 2, 3, 4, 5, 6, 7);
  EXPECT_EQ(Format("yyyy/mm/dd hh:nn:ss", dt), "2001/02/03 04:05:06");
  EXPECT_EQ(Format("y yy yyy yyyy", dt), "01 01 2001 2001");
  EXPECT_EQ(Format("m mm d dd", dt), "2 02 3 03");
  EXPECT_EQ(Format("h hh hhh n nn nnn s ss sss", dt), "4 04 04 5 05 05 6 06 06");
  EXPECT_EQ(Format("z zz zzz zzzz", dt), "7 07 007 007");
  EXPECT_EQ(Format("YYYY/MM/DD HH:NN:SS", dt), "2001/02/03 04:05:06");
  EXPECT_EQ(Format("yy", Make(2009, 1, 1)), "09");
  EXPECT_EQ(Format("yyyy", Make(987, 1, 1)), "0987");
  EXPECT_EQ(Format("yyyy", Make(2001, 1, 1)), "2001");
  EXPECT_EQ(Format("dd/mm", Make(2001, 12, 24)), "24/12");
}

TEST(DateTimeTest, MonthAfterHourMeansMinutes) {
  const DateTime dt = Make(2001, 2, 3, 4, 5, 6);
  EXPECT_EQ(Format("hh:mm", dt), "04:05");
  EXPECT_EQ(Format("h:m", dt), "4:5");
  EXPECT_EQ(Format("hh mm", dt), "04 05");
  EXPECT_EQ(Format("mm hh", dt), "02 04");
  // Another letter code in between ends the hour context.
  EXPECT_EQ(Format("hh:ss:mm", dt), "04:06:02");
  // So does a double-byte character, as in the classic formatter: write "nn" after 時.
  EXPECT_EQ(Format("hh\x8E\x9Emm", dt), "04\x8E\x9E" "02");
  EXPECT_EQ(Format("hh\x8E\x9Enn", dt), "04\x8E\x9E" "05");
}

TEST(DateTimeTest, NamesAndCompositeCodes) {
  const DateTime dt = Make(2001, 12, 24, 13, 5, 9);  // a Monday
  EXPECT_EQ(Format("mmm", dt), "12" + kGatsu);
  EXPECT_EQ(Format("mmmm", Make(2001, 3, 1)), "3" + kGatsu);
  EXPECT_EQ(Format("ddd", dt), kGatsu);
  EXPECT_EQ(Format("dddd", dt), kGatsu + kYoubi);
  EXPECT_EQ(Format("dddd", Make(2023, 3, 5)), kNichi + kYoubi);
  EXPECT_EQ(Format("dddd", Make(2000, 1, 1)), "\x93\x79" + kYoubi);  // 土曜日
  EXPECT_EQ(Format("ddddd", dt), "2001/12/24");
  EXPECT_EQ(Format("dddddd", Make(2001, 2, 3)), "2001" + kNen + "2" + kGatsu + "3" + kNichi);
  EXPECT_EQ(Format("t", dt), "13:05");
  EXPECT_EQ(Format("tt", dt), "13:05:09");
  EXPECT_EQ(Format("c", dt), "2001/12/24 13:05:09");
  EXPECT_EQ(Format("c", Make(2001, 12, 24)), "2001/12/24");
  EXPECT_EQ(Format("c", Make(2001, 12, 24, 0, 0, 0, 500)), "2001/12/24");
  EXPECT_EQ(Format("c", Make(2001, 12, 24, 0, 0, 1)), "2001/12/24 0:00:01");
}

TEST(DateTimeTest, TwelveHourMarkers) {
  const DateTime afternoon = Make(2001, 1, 1, 13, 7);
  const DateTime morning = Make(2001, 1, 1, 9, 7);
  const DateTime midnight = Make(2001, 1, 1, 0, 7);
  const DateTime noon = Make(2001, 1, 1, 12, 7);
  EXPECT_EQ(Format("h:nn am/pm", afternoon), "1:07 pm");
  EXPECT_EQ(Format("h:nn AM/PM", morning), "9:07 AM");
  EXPECT_EQ(Format("h:nn Am/pM", afternoon), "1:07 pM");
  EXPECT_EQ(Format("hh:nn a/p", midnight), "12:07 a");
  EXPECT_EQ(Format("hh:nn A/P", noon), "12:07 P");
  EXPECT_EQ(Format("ampm h:nn", afternoon), kGogo + " 1:07");
  EXPECT_EQ(Format("h:nn ampm", morning), "9:07 " + kGozen);
  // Without a marker the clock has 24 hours; a lone "a" is just a letter.
  EXPECT_EQ(Format("hh:nn", afternoon), "13:07");
  EXPECT_EQ(Format("hh a", afternoon), "13 a");
  // A marker inside quotes or after another hour code does not switch the first hour.
  EXPECT_EQ(Format("hh 'am/pm'", afternoon), "13 am/pm");
  EXPECT_EQ(Format("hh hh am/pm", afternoon), "13 01 pm");
}

TEST(DateTimeTest, LiteralsAndOtherCharacters) {
  const DateTime dt = Make(2001, 2, 3, 4, 5, 6);
  EXPECT_EQ(Format("'yyyy' \"mm\" yyyy", dt), "yyyy mm 2001");
  EXPECT_EQ(Format("yyyy'' mm", dt), "2001 02");
  EXPECT_EQ(Format("\"it's\" d", dt), "it's 3");
  EXPECT_EQ(Format("[yyyy] #1 - x", dt), "[2001] #1 - x");
  EXPECT_EQ(Format("", dt), "");
  // yyyy年mm月dd日: 年 ends in 0x4E ("N"), which must not be read as a minute code.
  EXPECT_EQ(Format("yyyy" + kNen + "mm" + kGatsu + "dd" + kNichi, dt),
            "2001" + kNen + "02" + kGatsu + "03" + kNichi);
  // Trail bytes of katakana that look like code letters: 0x83 followed by "S", "a", "h", "m",
  // "t", "y", "Y", "M", "D", "Z", "C", "N".
  for (const char trail : {'S', 'a', 'h', 'm', 't', 'y', 'Y', 'M', 'D', 'Z', 'C', 'N'}) {
    const std::string dbc = std::string("\x83") + trail;
    EXPECT_EQ(Format(dbc + "yyyy" + dbc, dt), dbc + "2001" + dbc) << trail;
    EXPECT_EQ(Format("'" + dbc + "'", dt), dbc) << trail;
  }
  // A lone lead byte at the end is copied.
  EXPECT_EQ(Format("yy\x83", dt), "01\x83");
}

TEST(DateTimeTest, Failures) {
  const DateTime dt = Make(2001, 2, 3);
  std::string out;
  EXPECT_FALSE(FormatDateTime("yyyy 'unterminated", dt, out));
  EXPECT_FALSE(FormatDateTime("\"", dt, out));
  EXPECT_FALSE(FormatDateTime("'a\"", dt, out));
  EXPECT_FALSE(FormatDateTime("yyyy", Make(2001, 2, 30), out));
  EXPECT_FALSE(FormatDateTime("yyyy", Make(2001, 0, 1), out));
  EXPECT_FALSE(FormatDateTime("mmm", Make(2001, 13, 1), out));
}

}  // namespace
}  // namespace norra
