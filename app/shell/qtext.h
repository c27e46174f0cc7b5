#pragma once
// The core speaks Windows-1252; Qt speaks Unicode. Texts cross here.
#include <QString>
#include <string>

#include "support/text.h"

namespace velgram {

inline QString ToQt(const std::string& cp1252) {
  return QString::fromStdString(Cp1252ToUtf8(cp1252));
}

// Characters Windows-1252 cannot hold become '?'; lossless tells whether any did.
inline std::string FromQt(const QString& text, bool* lossless = nullptr) {
  return Utf8ToCp1252(text.toStdString(), lossless);
}

}  // namespace velgram
