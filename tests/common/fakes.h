#pragma once
// Deterministic stand-ins for the clock, the random source and the user.
#include <algorithm>
#include <cstdlib>
#include <deque>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "support/clock.h"
#include "support/prompt.h"
#include "support/random.h"

namespace velgram::testing {

// A clock that stands still until a test moves it. Local time is UTC, unless
// set ahead.
class FakeClock : public Clock {
 public:
  explicit FakeClock(int64_t unix = 1700000000) : now_(unix) {}
  int64_t NowUnix() const override { return now_; }
  DateTime NowLocal() const override { return Split(now_ + localAhead); }
  DateTime NowUtc() const override { return Split(now_); }
  void Advance(int64_t seconds) { now_ += seconds; }
  void SetLocal(int year, int month, int day, int hour = 12, int minute = 0, int second = 0);
  int fraction = 0, millisecond = 0;
  int64_t localAhead = 0;  // seconds

 private:
  DateTime Split(int64_t t) const;
  int64_t now_;
};

// Plays back a fixed sequence of numbers, then repeats the last one.
class ScriptedRandom : public Random {
 public:
  explicit ScriptedRandom(std::vector<int> values) : values_(std::move(values)) {}
  int Next() override { return values_.empty() ? 0 : values_[std::min(pos_++, values_.size() - 1)]; }
  void Seed(uint32_t) override {}

 private:
  std::vector<int> values_;
  size_t pos_ = 0;
};

// Records every message; answers questions from a queue (yes when the queue
// is empty). Base is Prompter or a prompter that asks more.
template <typename Base>
class FakePrompterOf : public Base {
 public:
  void Alert(const std::string& text) override { alerts.push_back(text); }
  bool Confirm(const std::string& text) override {
    questions.push_back(text);
    bool a = answers.empty() || answers.front();
    if (!answers.empty()) answers.pop_front();
    return a;
  }
  std::vector<std::string> alerts, questions;
  std::deque<bool> answers;
};
using FakePrompter = FakePrompterOf<Prompter>;

// A fresh folder under the system temp folder, removed with its contents.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;
  const std::string& Path() const { return path_; }
  std::string File(const std::string& name) const { return path_ + "/" + name; }

 private:
  std::string path_;
};

// Sets (or, with nullptr, removes) an environment variable until the scope ends.
class ScopedEnv {
 public:
  ScopedEnv(const char* name, const char* value) : name_(name) {
    if (const char* old = std::getenv(name)) old_ = old;
    value ? setenv(name, value, 1) : unsetenv(name);
  }
  ~ScopedEnv() { old_ ? setenv(name_.c_str(), old_->c_str(), 1) : unsetenv(name_.c_str()); }
  ScopedEnv(const ScopedEnv&) = delete;
  ScopedEnv& operator=(const ScopedEnv&) = delete;

 private:
  std::string name_;
  std::optional<std::string> old_;
};

std::string ReadFileBytes(const std::string& path);
void WriteFileBytes(const std::string& path, const std::string& bytes);
// The names in a folder (none when it cannot be read).
std::set<std::string> FileNames(const std::string& folder);

}  // namespace velgram::testing
