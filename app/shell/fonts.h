#pragma once
// Font texts ("Arial,10,400,1,34,0") and Windows colour values (0x00BBGGRR)
// as kept in the settings, turned into what Qt draws with, and back.
#include <QColor>
#include <QFont>
#include <string>

namespace velgram {

class Database;

inline constexpr const char* kTitleFontText = "Arial,14,700,1,34,0";
inline constexpr int kDefaultInfoText = 0;               // black
inline constexpr int kDefaultInfoBackground = 16777214;  // red 254, green 255, blue 255
inline constexpr int kStandardInfoBackground = 16711679; // the colour dialog's "Standaard"

// Vertical pixels per inch of the primary screen; 96 without one.
int ScreenDpi();

QFont FontFromText(const std::string& text, int dpi = ScreenDpi());
std::string FontToText(const QFont& font, int dpi = ScreenDpi());

QColor ColorFromWin(int value);
int ColorToWin(const QColor& color);

// Setting values with their defaults: a font key ("NavFont", "InfoFont",
// "PrintFont") and the list colours.
std::string FontSetting(Database& db, const std::string& key);
QFont SettingFont(Database& db, const std::string& key);
QColor InfoTextColor(Database& db);
QColor InfoBackgroundColor(Database& db);

}  // namespace velgram
