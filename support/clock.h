#pragma once
#include <cstdint>

namespace velgram {

struct DateTime {
  int year = 0, month = 0, day = 0;
  int hour = 0, minute = 0, second = 0;
  int millisecond = 0;
  int fraction = 0;  // elapsed part of the second in units of 100 ns (0..9,999,999)
};

// The source of wall-clock time. The program uses SystemClock; tests inject a
// fake so that stamps, backups and Swiss times are deterministic.
class Clock {
 public:
  virtual ~Clock() = default;
  virtual int64_t NowUnix() const = 0;   // seconds since 1970, UTC
  virtual DateTime NowLocal() const = 0;
  virtual DateTime NowUtc() const = 0;
};

class SystemClock : public Clock {
 public:
  int64_t NowUnix() const override;
  DateTime NowLocal() const override;
  DateTime NowUtc() const override;
};

// The process-wide system clock.
Clock& DefaultClock();

}  // namespace velgram
