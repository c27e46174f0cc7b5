#pragma once
#include <string>

#include "support/clock.h"

namespace velgram {

// Appends one line to DataFolder()/logfiles/logYYYYMMDD.txt (UTC date) with the
// prefix "YYYYMMDD-hh:mm:ss/mmm ". Never throws, never reports; safe from any
// thread.
void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

// The same line in the log files of dataFolder, stamped by clock: start-up
// logs beside the database it opens, before anything else is settled.
void LogIn(const Clock& clock, const std::string& dataFolder, const std::string& message);

}  // namespace velgram
