#include "store/font.h"

#include <cstdlib>
#include <vector>

#include "support/text.h"

namespace velgram {

int MulDiv(int a, int b, int c) {
  if (c == 0) return -1;
  long long p = static_cast<long long>(a) * b;
  long long half = (c < 0 ? -c : c) / 2;
  bool negative = (p < 0) != (c < 0);
  long long ap = p < 0 ? -p : p;
  long long ac = c < 0 ? -static_cast<long long>(c) : c;
  long long q = (ap + half) / ac;
  return static_cast<int>(negative ? -q : q);
}

FontDescription ParseFontText(const std::string& text, int pixelsPerInch) {
  FontDescription f;
  std::vector<std::string> fields;
  size_t start = 0;
  while (true) {
    size_t comma = text.find(',', start);
    fields.push_back(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
    if (comma == std::string::npos) break;
    start = comma + 1;
  }
  if (text.empty()) fields.clear();
  for (size_t i = 0; i < fields.size() && i < 7; ++i) {
    const std::string& v = fields[i];
    if (v.empty()) continue;
    int n = std::atoi(v.c_str());
    switch (i) {
      case 0:
        f.face = v.substr(0, 31);
        break;
      case 1:
        if (pixelsPerInch > 0) f.height = -MulDiv(n, pixelsPerInch, 72);
        break;
      case 2:
        f.weight = n;
        break;
      case 3:
        f.quality = n;
        break;
      case 4:
        f.pitchAndFamily = n;
        break;
      case 5:
        f.italic = n != 0;
        break;
      case 6:
        f.underline = n != 0;
        break;
    }
  }
  return f;
}

int FontPoints(const FontDescription& font, int pixelsPerInch) {
  if (pixelsPerInch <= 0) pixelsPerInch = 96;
  int h = font.height < 0 ? -font.height : font.height;
  return MulDiv(h, 72, pixelsPerInch);
}

std::string FormatFontText(const FontDescription& font, int pixelsPerInch) {
  return Format("%s,%d,%d,%d,%d,%d", font.face.c_str(), FontPoints(font, pixelsPerInch), font.weight,
                font.quality, font.pitchAndFamily, font.italic ? 1 : 0);
}

}  // namespace velgram
