#pragma once
// The test support desk (support_server.py) as a child process: started once
// per test program with a fresh folder and certificate, stopped at exit.
#include <curl/curl.h>
#include <signal.h>
#include <sqlite3.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>
#include <stdexcept>
#include <string>

#include "common/fakes.h"

namespace velgram::testing {

class SupportServer {
 public:
  // The key date of the server is fixed, so the clients' fake clocks must
  // stand on the same local date.
  explicit SupportServer(const std::string& yyyymmdd) {
    int out[2];
    if (pipe(out) != 0) throw std::runtime_error("pipe");
    pid_ = fork();
    if (pid_ == 0) {
      dup2(out[1], 1);
      close(out[0]);
      close(out[1]);
      execlp("python3", "python3", VELGRAM_SUPPORT_SERVER, "--dir", dir_.Path().c_str(), "--date", yyyymmdd.c_str(),
             static_cast<char*>(nullptr));
      _exit(127);
    }
    close(out[1]);
    // The server tells its port, then its certificate once it is written.
    FILE* said = fdopen(out[0], "r");
    char line[512] = "";
    const bool started = std::fgets(line, sizeof line, said) && std::sscanf(line, "PORT %d", &port_) == 1 &&
                         std::fgets(line, sizeof line, said) && std::strncmp(line, "CA ", 3) == 0;
    std::fclose(said);
    if (!started) throw std::runtime_error("support server did not start");
  }
  ~SupportServer() {
    if (pid_ > 0) {
      kill(pid_, SIGTERM);
      waitpid(pid_, nullptr, 0);
    }
  }
  SupportServer(const SupportServer&) = delete;
  SupportServer& operator=(const SupportServer&) = delete;

  std::string Endpoint() const { return "https://127.0.0.1:" + std::to_string(port_) + "/api"; }
  std::string CaFile() const { return dir_.File("cert.pem"); }

  // The next count answers misbehave: mode 403, 404, garbage, bom or delay.
  bool Control(const std::string& mode, int count = 1, int ms = 0) {
    std::string url = "https://127.0.0.1:" + std::to_string(port_) + "/control?mode=" + mode +
                      "&count=" + std::to_string(count) + "&ms=" + std::to_string(ms);
    CURL* curl = curl_easy_init();
    curl_easy_setopt(curl, CURLOPT_URL, url.c_str());
    curl_easy_setopt(curl, CURLOPT_CAINFO, CaFile().c_str());
    curl_easy_setopt(curl, CURLOPT_WRITEFUNCTION, +[](char*, size_t s, size_t n, void*) { return s * n; });
    bool ok = curl_easy_perform(curl) == CURLE_OK;
    curl_easy_cleanup(curl);
    return ok;
  }

  // Runs statements on the desk's ticket file (the server opens it per
  // request); throws when they fail.
  void Sql(const std::string& sql) {
    std::string error;
    if (!Run(sql, nullptr, &error)) throw std::runtime_error(error);
  }
  // The first column of the first row, as text ("" when none).
  std::string Query(const std::string& sql) {
    std::string value;
    Run(sql, &value, nullptr);
    return value;
  }

 private:
  bool Run(const std::string& sql, std::string* value, std::string* error) {
    sqlite3* db = nullptr;
    sqlite3_open(dir_.File("tickets.db").c_str(), &db);
    sqlite3_busy_timeout(db, 5000);
    char* message = nullptr;
    auto first = [](void* v, int, char** cols, char**) {
      if (v && cols[0]) *static_cast<std::string*>(v) = cols[0];
      return v ? 1 : 0;
    };
    int rc = sqlite3_exec(db, sql.c_str(), first, value, &message);
    if (error && message) *error = message;
    sqlite3_free(message);
    sqlite3_close(db);
    return rc == SQLITE_OK;
  }

  TempDir dir_;
  pid_t pid_ = -1;
  int port_ = 0;
};

}  // namespace velgram::testing
