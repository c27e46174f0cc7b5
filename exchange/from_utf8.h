#pragma once
// Names and clubs in import files are often UTF-8 (or percent-encoded UTF-8
// copied from a web page), while the database holds Windows-1252.
#include <string>
#include <string_view>

namespace velgram {

// Turns the UTF-8 and percent-encoded forms of the Latin-1 letters (U+00C0 to
// U+00FF), of U+00AE and U+00B7, of the Unicode dashes U+2010 to U+2015, of the
// pound and euro signs and of the left-to-right mark into Windows-1252, and
// the mis-encoded "C3 C2 A9" into e-acute. The result is that of the
// long-standing sequence of 140 replace-all steps (each step replacing
// non-overlapping occurrences from the left and never rescanning its own
// output), computed in one pass. Every other byte is left as it stands.
std::string FromUtf8(std::string_view text);

// What FromUtf8 leaves of UTF-8: every well-formed UTF-8 character that
// Windows-1252 holds becomes its byte (the typographic apostrophe, S caron,
// oe, ...); one it cannot hold becomes its closest plain letter (L stroke
// becomes L) or "?", and approximated, when given, tells whether that
// happened. Bytes that are no UTF-8 are Windows-1252 already and stay.
std::string Utf8LeftoversToCp1252(std::string_view text, bool* approximated = nullptr);

// The conversion of a name or club of an import file: FromUtf8, then the
// leftovers.
std::string ImportText(std::string_view text, bool* approximated = nullptr);

}  // namespace velgram
