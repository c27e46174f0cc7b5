#include "support/log.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdarg>
#include <mutex>
#include <thread>

#include "support/log_internal.h"
#include "support/paths.h"
#include "support/text.h"

namespace velgram {

namespace log_internal {

namespace {

// Serialises the appends of this process. Separate processes rely on O_APPEND
// and one write() per line.
std::mutex g_logMutex;

bool WriteAll(int fd, const std::string& text) {
  const char* p = text.data();
  size_t left = text.size();
  while (left > 0) {
    ssize_t n = ::write(fd, p, left);
    if (n < 0) {
      if (errno == EINTR) continue;
      return false;
    }
    p += n;
    left -= static_cast<size_t>(n);
  }
  return true;
}

}  // namespace

std::string FileName(const DateTime& utc) {
  return Format("log%04d%02d%02d.txt", utc.year, utc.month, utc.day);
}

std::string Prefix(const DateTime& utc) {
  return Format("%04d%02d%02d-%02d:%02d:%02d/%03d ", utc.year, utc.month, utc.day, utc.hour,
                utc.minute, utc.second, utc.millisecond);
}

bool Append(const Clock& clock, const std::string& dataFolder, const std::string& message) noexcept {
  try {
    if (!MakeFolders(dataFolder)) return false;
    std::string folder = dataFolder + "/logfiles";
    if (!MakeFolders(folder)) return false;

    std::lock_guard<std::mutex> lock(g_logMutex);
    // The time is read under the lock, so lines of this process are in time order.
    DateTime utc = clock.NowUtc();
    std::string path = folder + "/" + FileName(utc);
    std::string line = Prefix(utc);
    line += message;
    line += '\n';

    int fd = -1;
    for (int attempt = 0; attempt < 10; ++attempt) {
      fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_CLOEXEC, 0644);
      if (fd >= 0) break;
      if (attempt < 9) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (fd < 0) return false;
    bool ok = WriteAll(fd, line);
    if (::close(fd) != 0) ok = false;
    return ok;
  } catch (...) {
    return false;
  }
}

}  // namespace log_internal

void LogIn(const Clock& clock, const std::string& dataFolder, const std::string& message) {
  log_internal::Append(clock, dataFolder, message);
}

void Log(const char* fmt, ...) {
  try {
    va_list args;
    va_start(args, fmt);
    std::string message;
    try {
      message = FormatV(fmt, args);
    } catch (...) {
      va_end(args);
      return;
    }
    va_end(args);
    log_internal::Append(DefaultClock(), DataFolder(), message);
  } catch (...) {
  }
}

}  // namespace velgram
