#pragma once
// The core's messages as Qt message boxes.
#include <string>

#include "support/prompt.h"

class QWidget;

namespace velgram {

// Messages are cut to 2,000 bytes, as the core formats them for a fixed
// buffer. Called from a worker thread, Alert is queued to the user-interface
// thread and returns at once; Confirm waits there for the answer.
class QtPrompter : public Prompter {
 public:
  void Alert(const std::string& text) override;
  bool Confirm(const std::string& text) override;

  static constexpr size_t kMaxBytes = 2000;
  static std::string Clip(const std::string& text);
};

// A worker thread's message to the user: shown by the user-interface thread
// through prompter once it gets to it.
void PostAlert(Prompter& prompter, const std::string& text);

}  // namespace velgram
