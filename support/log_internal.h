#pragma once
// Internals of Log, declared for the tests: the same work with the
// clock and the data folder given.
#include <string>

#include "support/clock.h"

namespace velgram::log_internal {

// "log%04d%02d%02d.txt" of the UTC date.
std::string FileName(const DateTime& utc);

// "%04d%02d%02d-%02d:%02d:%02d/%03d " (22 characters for four-digit years).
std::string Prefix(const DateTime& utc);

// Creates dataFolder and dataFolder/logfiles, reads the UTC time from clock and
// appends prefix + message + "\n" to the day's file. Returns whether the line
// was written. Never throws.
bool Append(const Clock& clock, const std::string& dataFolder, const std::string& message) noexcept;

}  // namespace velgram::log_internal
