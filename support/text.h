#pragma once
// Text in the core is 8-bit Windows-1252, as in database files written by
// earlier versions of the program. Non-ASCII literals in core code are written
// as hex escapes that close the literal right after the escape, so that a
// following hex digit cannot be swallowed: "kopi\xEB" "ren".
#include <cstdarg>
#include <string>
#include <string_view>

namespace velgram {

// printf-style formatting into a std::string of any length.
std::string Format(const char* fmt, ...) __attribute__((format(printf, 1, 2)));
std::string FormatV(const char* fmt, va_list args);

// Windows-1252 <-> UTF-8. Bytes 0x81, 0x8D, 0x8F, 0x90 and 0x9D are undefined
// in Windows-1252; they map to the C1 control of the same number, as Windows
// itself does, so every byte string survives a round trip.
std::string Cp1252ToUtf8(std::string_view text);

// Characters that Windows-1252 cannot hold become '?'. Invalid UTF-8 bytes are
// taken one by one as Windows-1252 bytes. When lossless is given it is set to
// false if anything was replaced.
std::string Utf8ToCp1252(std::string_view text, bool* lossless = nullptr);

// True when every character of the UTF-8 text exists in Windows-1252.
bool FitsCp1252(std::string_view utf8);

// Decodes one well-formed UTF-8 sequence at text[i] (i < text.size()).
// Returns its length, or 0 when the bytes there are not a valid sequence
// (overlong forms, surrogates and code points above U+10FFFF are invalid).
size_t DecodeUtf8(std::string_view text, size_t i, char32_t& cp);

// One Windows-1252 byte widened to its Unicode code point, and back ('?' when
// the code point has no Windows-1252 byte).
char32_t Cp1252ToUnicode(unsigned char c);
char UnicodeToCp1252(char32_t cp);

}  // namespace velgram
