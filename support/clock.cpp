#include "support/clock.h"

#include <chrono>
#include <ctime>

namespace velgram {

namespace {

using Ticks = std::chrono::duration<int64_t, std::ratio<1, 10000000>>;  // 100 ns

struct Now {
  time_t seconds;
  int fraction;  // 0 .. 9,999,999
};

Now ReadNow() {
  auto ticks = std::chrono::duration_cast<Ticks>(std::chrono::system_clock::now().time_since_epoch())
                   .count();
  int64_t secs = ticks / 10000000;
  int64_t rest = ticks % 10000000;
  if (rest < 0) rest += 10000000, --secs;
  return {static_cast<time_t>(secs), static_cast<int>(rest)};
}

DateTime FromTm(const std::tm& tm, int fraction) {
  DateTime dt;
  dt.year = tm.tm_year + 1900;
  dt.month = tm.tm_mon + 1;
  dt.day = tm.tm_mday;
  dt.hour = tm.tm_hour;
  dt.minute = tm.tm_min;
  dt.second = tm.tm_sec > 59 ? 59 : tm.tm_sec;  // no leap second in the stamp
  dt.fraction = fraction;
  dt.millisecond = fraction / 10000;
  return dt;
}

}  // namespace

int64_t SystemClock::NowUnix() const { return static_cast<int64_t>(ReadNow().seconds); }

DateTime SystemClock::NowLocal() const {
  Now now = ReadNow();
  std::tm tm{};
  localtime_r(&now.seconds, &tm);
  return FromTm(tm, now.fraction);
}

DateTime SystemClock::NowUtc() const {
  Now now = ReadNow();
  std::tm tm{};
  gmtime_r(&now.seconds, &tm);
  return FromTm(tm, now.fraction);
}

Clock& DefaultClock() {
  static SystemClock clock;
  return clock;
}

}  // namespace velgram
