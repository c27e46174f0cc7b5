#pragma once
#include <string>

namespace velgram {

// How the core talks to the user. The application implements it with message
// boxes; tests implement it with a recording fake. Texts are Windows-1252.
class Prompter {
 public:
  virtual ~Prompter() = default;
  // A message with the caption "Alert" and an OK button.
  virtual void Alert(const std::string& text) = 0;
  // A question with Yes/No buttons; true for Yes.
  virtual bool Confirm(const std::string& text) = 0;
};

}  // namespace velgram
