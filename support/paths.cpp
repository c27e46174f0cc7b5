#include "support/paths.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <system_error>
#include <vector>

namespace velgram {

namespace {

std::string HomeFolder() {
  const char* home = std::getenv("HOME");
  if (home && *home) return home;
  // getpwuid_r, so that a logging worker thread cannot race another caller.
  long size = sysconf(_SC_GETPW_R_SIZE_MAX);
  std::vector<char> buf(size > 0 ? static_cast<size_t>(size) : 16384);
  struct passwd pw;
  struct passwd* result = nullptr;
  if (getpwuid_r(getuid(), &pw, buf.data(), buf.size(), &result) == 0 && result &&
      result->pw_dir)
    return result->pw_dir;
  return "/tmp";
}

std::string StripTrailingSlashes(std::string path) {
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

// The value of XDG_DOCUMENTS_DIR in user-dirs.dirs with $HOME expanded, or an
// empty text when it is not there.
std::string XdgDocumentsDir(const std::string& home) {
  std::string config;
  const char* xdg = std::getenv("XDG_CONFIG_HOME");
  if (xdg && *xdg == '/')
    config = xdg;
  else
    config = home + "/.config";
  std::ifstream in(config + "/user-dirs.dirs");
  if (!in) return {};
  std::string line, found;
  while (std::getline(in, line)) {
    size_t p = line.find_first_not_of(" \t");
    if (p == std::string::npos || line[p] == '#') continue;
    static const std::string key = "XDG_DOCUMENTS_DIR";
    if (line.compare(p, key.size(), key) != 0) continue;
    p += key.size();
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    if (p >= line.size() || line[p] != '=') continue;
    ++p;
    while (p < line.size() && (line[p] == ' ' || line[p] == '\t')) ++p;
    std::string value;
    if (p < line.size() && line[p] == '"') {
      ++p;
      for (; p < line.size() && line[p] != '"'; ++p) {
        if (line[p] == '\\' && p + 1 < line.size()) ++p;
        value += line[p];
      }
    } else {
      value = line.substr(p);
      while (!value.empty() && (value.back() == ' ' || value.back() == '\t' || value.back() == '\r'))
        value.pop_back();
    }
    if (value.compare(0, 5, "$HOME") == 0 && (value.size() == 5 || value[5] == '/'))
      value = home + value.substr(5);
    else if (value.compare(0, 7, "${HOME}") == 0 && (value.size() == 7 || value[7] == '/'))
      value = home + value.substr(7);
    if (!value.empty() && value[0] == '/') found = value;  // the last valid line wins
  }
  return found;
}

}  // namespace

std::string DocumentsFolder() {
  std::string home = StripTrailingSlashes(HomeFolder());
  std::string docs = StripTrailingSlashes(XdgDocumentsDir(home));
  if (docs.empty() || docs == home) return home == "/" ? "/Documents" : home + "/Documents";
  return docs;
}

std::string ExecutableBaseName() {
  std::string path;
  std::vector<char> buf(4096);
  for (;;) {
    ssize_t n = readlink("/proc/self/exe", buf.data(), buf.size());
    if (n < 0) break;
    if (static_cast<size_t>(n) < buf.size()) {
      path.assign(buf.data(), static_cast<size_t>(n));
      break;
    }
    if (buf.size() > (1u << 20)) break;
    buf.resize(buf.size() * 2);
  }
  static const std::string deleted = " (deleted)";
  if (path.size() > deleted.size() &&
      path.compare(path.size() - deleted.size(), deleted.size(), deleted) == 0)
    path.resize(path.size() - deleted.size());
  std::string name = path.substr(path.find_last_of('/') == std::string::npos
                                     ? 0
                                     : path.find_last_of('/') + 1);
  size_t dot = name.find_last_of('.');
  if (dot != std::string::npos && dot > 0) name.resize(dot);
  if (name.empty()) name = "Velgram";
  return name;
}

bool MakeFolders(const std::string& path) {
  if (path.empty()) return false;
  std::error_code ec;
  std::filesystem::create_directories(path, ec);
  return std::filesystem::is_directory(path, ec);
}

std::string DataFolder() {
  std::string folder = DocumentsFolder() + "/" + ExecutableBaseName();
  MakeFolders(folder);
  return folder;
}

bool WriteFileWhole(const std::string& path, const std::string& content) {
  std::string temp = path + ".tmp";
  std::FILE* f = std::fopen(temp.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(content.data(), 1, content.size(), f) == content.size();
  ok = std::fclose(f) == 0 && ok;
  std::error_code ec;
  if (ok) std::filesystem::rename(temp, path, ec);
  if (!ok || ec) {
    std::filesystem::remove(temp, ec);
    return false;
  }
  return true;
}

}  // namespace velgram
