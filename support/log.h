#pragma once
namespace velgram {

// Appends one line to DataFolder()/logfiles/logYYYYMMDD.txt (UTC date) with the
// prefix "YYYYMMDD-hh:mm:ss/mmm ". Never throws, never reports; safe from any
// thread.
void Log(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

}  // namespace velgram
