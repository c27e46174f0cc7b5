#pragma once
// Fonts are stored as text: "face,points,weight,quality,pitchAndFamily,italic[,underline]",
// for example "Arial,10,400,1,34,0".
#include <string>

namespace velgram {

inline constexpr const char* kDefaultFontText = "Arial,10,400,1,34,0";

struct FontDescription {
  std::string face = "Courier New";
  int height = -11;  // device units; negative: character height
  int weight = 400;
  bool italic = false;
  bool underline = false;
  bool strikeOut = false;
  int charSet = 0;
  int outPrecision = 7;
  int clipPrecision = 0;
  int quality = 1;
  int pitchAndFamily = 49;
};

// Windows' MulDiv: a * b / c rounded half away from zero; -1 when c is 0.
int MulDiv(int a, int b, int c);

// Fields apply only when present and not empty; parsing stops at the first
// missing field. pixelsPerInch 0 means no screen: the height stays -11.
FontDescription ParseFontText(const std::string& text, int pixelsPerInch);

// "%s,%d,%d,%d,%d,%d": face, points, weight, quality, pitch and family,
// italic. The underline is not written.
std::string FormatFontText(const FontDescription& font, int pixelsPerInch);

// Points of a font description (the absolute height converted back).
int FontPoints(const FontDescription& font, int pixelsPerInch);

}  // namespace velgram
