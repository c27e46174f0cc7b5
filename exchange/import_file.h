#pragma once
// Reading a participants file: a comma-separated text (or one separated by
// semicolons or tabs) with one participant a line, in the columns Naam,
// Vereniging, Bondsnummer, Geslacht, Email, Speelsterkte, Klasse.
#include <array>
#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/records.h"

namespace velgram {

class Prompter;

// Import files have always been read into a buffer of 100,000 characters (its
// last one the terminating zero): a longer line is read as several lines.
inline constexpr size_t kImportLinePiece = 99999;

// Space, tab, CR, LF, vertical tab and form feed removed at both ends.
std::string TrimBlanks(std::string_view text);

// Splits one line into fields. A quote opens a quoted field (dropping what
// came before it in the field); inside quotes the separator is plain text and
// two quotes stand for one. An empty last field is not a field.
std::vector<std::string> SplitImportLine(std::string_view line, char separator = ',', char quote = '"');

// 1 for a text starting with M or m, 0 for V or v, otherwise -1.
int ParseGender(std::string_view text);
// The leading integer of the text as atoi reads it (0 when there is none),
// kept within the range of int.
int ParseRating(std::string_view text);

// An import row is a participant record: id and idClub -1 until the import
// resolves them, clubName the club as written in the file. False for a line
// that is skipped: empty, not exactly seven fields, the header (name "Naam"),
// or a row without a name. approximated, when given, tells whether the name
// or the club held characters Windows-1252 lacks, so that they were replaced.
bool ParseImportLine(std::string_view line, PlayerRecord& row, char separator = ',',
                     bool* approximated = nullptr);

// The separator of a file, from its first non-empty line: "," unless the line
// does not split into seven fields by "," but does by ";" (what a spreadsheet
// writes under Dutch regional settings) or by a tab.
char DetectSeparator(std::string_view firstLine);
// "komma", "puntkomma" or "tab".
std::string SeparatorName(char separator);

// Cuts a byte stream into lines. A line ends at LF, CR LF or a lone CR; a
// line longer than kImportLinePiece characters arrives in pieces of that
// length. A byte-order mark at the start is dropped; one of UTF-16 makes the
// rest be read as UTF-16 and turned into Windows-1252. NUL bytes are dropped:
// they cannot be part of a text and would cut it short further on.
class ImportLineReader {
 public:
  explicit ImportLineReader(std::function<void(std::string_view)> onLine) : onLine_(std::move(onLine)) {}
  void Feed(std::string_view bytes);
  void Finish();

 private:
  enum class Mode { kUndecided, kBytes, kUtf16Le, kUtf16Be };
  void Decide(bool atEnd);
  void FeedDecided(std::string_view bytes);
  void Unit(unsigned unit);
  void CodePoint(char32_t c);
  void Byte(unsigned char c);
  void EndLine();

  std::function<void(std::string_view)> onLine_;
  Mode mode_ = Mode::kUndecided;
  std::string head_;  // first bytes, until the byte-order mark is known
  std::string line_;
  bool afterCr_ = false;
  int oddByte_ = -1;        // first byte of a UTF-16 unit
  int highSurrogate_ = -1;  // the first half of a pair, while its second is awaited
};

// What a file yields for the import.
struct ImportFile {
  std::vector<PlayerRecord> rows;  // in file order
  char separator = ',';
  // Names of the rows whose name or club lost characters Windows-1252 lacks,
  // in file order, each once.
  std::vector<std::string> approximated;
};

// Builds an ImportFile line by line: the first non-empty line decides the
// separator for the whole file.
class ImportRowCollector {
 public:
  void Line(std::string_view line);
  ImportFile Take() { return std::move(file_); }

 private:
  ImportFile file_;
  bool decided_ = false;
};

// The import rows of a whole file's content.
ImportFile ParseImportText(std::string_view content);

// The import rows of a file; none when the file cannot be opened or read.
std::optional<ImportFile> ReadImportFile(const std::string& path);

// What the import dialog shows after a file is chosen: the rows, or none
// after telling "Kan bestand niet openen".
ImportFile LoadImportRows(const std::string& path, Prompter& prompter);

// The preview grid of the import dialog: its header and one row's cells.
inline constexpr std::array<const char*, 7> kImportPreviewHeaders = {
    "Naam", "Vereniging", "Bondsnummer", "M/V", "Speelsterkte", "Klasse", "E-mailadres"};
std::array<std::string, 7> ImportPreviewCells(const PlayerRecord& row);

// "M" for 1, "V" for 0, "?" otherwise.
std::string GenderLetter(int gender);

}  // namespace velgram
