#include "app/shell/fonts.h"

#include <QGuiApplication>
#include <QScreen>
#include <algorithm>
#include <cstdlib>

#include "store/database.h"
#include "store/font.h"

namespace velgram {

int ScreenDpi() {
  QScreen* screen = QGuiApplication::primaryScreen();
  int dpi = screen ? static_cast<int>(screen->logicalDotsPerInchY() + 0.5) : 0;
  return dpi > 0 ? dpi : 96;
}

QFont FontFromText(const std::string& text, int dpi) {
  FontDescription d = ParseFontText(text, dpi);
  QFont font(QString::fromStdString(d.face));
  int points = FontPoints(d, dpi);
  font.setPointSize(std::max(1, points));
  // Windows weights and Qt 6 weights share the CSS scale.
  font.setWeight(static_cast<QFont::Weight>(std::clamp(d.weight == 0 ? 400 : d.weight, 100, 900)));
  font.setItalic(d.italic);
  font.setUnderline(d.underline);
  font.setStrikeOut(d.strikeOut);
  return font;
}

std::string FontToText(const QFont& font, int dpi) {
  FontDescription d;
  d.face = font.family().toStdString();
  int points = font.pointSize() > 0 ? font.pointSize() : static_cast<int>(font.pointSizeF() + 0.5);
  if (points <= 0 && font.pixelSize() > 0) points = MulDiv(font.pixelSize(), 72, dpi);
  d.height = -MulDiv(points, dpi, 72);
  d.weight = font.weight();
  d.quality = 1;
  d.pitchAndFamily = 34;
  d.italic = font.italic();
  return FormatFontText(d, dpi);
}

QColor ColorFromWin(int value) {
  unsigned v = static_cast<unsigned>(value);
  return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}

int ColorToWin(const QColor& color) { return color.red() | (color.green() << 8) | (color.blue() << 16); }

std::string FontSetting(Database& db, const std::string& key) {
  std::string text = db.GetSetting(key);
  return text.empty() ? kDefaultFontText : text;
}

QFont SettingFont(Database& db, const std::string& key) { return FontFromText(FontSetting(db, key)); }

namespace {
QColor ColorSetting(Database& db, const char* key, int fallback) {
  std::string text = db.GetSetting(key);
  return ColorFromWin(text.empty() ? fallback : std::atoi(text.c_str()));
}
}  // namespace

QColor InfoTextColor(Database& db) { return ColorSetting(db, "InfoColorText", kDefaultInfoText); }
QColor InfoBackgroundColor(Database& db) {
  return ColorSetting(db, "InfoColorBackground", kDefaultInfoBackground);
}

}  // namespace velgram
