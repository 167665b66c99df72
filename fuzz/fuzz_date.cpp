// Fuzz target: date-time formatting with any pattern and any (also invalid) date and time.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "text/DateTime.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace norra;
  if (size < 8) return 0;
  // Seven fields from the first bytes: mostly valid values, sometimes out of range.
  auto field = [data](int i, int lo, int span) {
    const int raw = data[i];
    return raw >= 0xF0 ? raw - 0x100 + lo : lo + raw % span;  // 0xF0.. reach below lo
  };
  DateTime dt;
  dt.year = (data[0] & 0x80) ? field(0, -5, 1) * 1000 + data[1] * 40
                             : 1 + (data[0] * 256 + data[1]) % 9999;
  dt.month = field(2, 1, 13);
  dt.day = field(3, 1, 32);
  dt.hour = field(4, 0, 25);
  dt.minute = field(5, 0, 61);
  dt.second = field(6, 0, 62);
  dt.millisecond = field(7, 0, 1001) * (data[7] & 1 ? 1 : 7);
  const std::string_view format(reinterpret_cast<const char*>(data) + 8, size - 8);
  std::string out;
  const bool ok = FormatDateTime(format, dt, out);
  if (ok && !dt.IsValid()) __builtin_trap();  // an invalid date and time is refused
  if (!ok) return 0;
  // No letter writes more than "yyyy/mm/dd hh:nn:ss" (c) does.
  if (out.size() > 20 * format.size()) __builtin_trap();
  std::string again = "left over";
  if (!FormatDateTime(format, dt, again) || again != out) __builtin_trap();
  return 0;
}
