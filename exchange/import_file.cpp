#include "exchange/import_file.h"

#include <algorithm>
#include <climits>
#include <cstdio>

#include "exchange/from_utf8.h"
#include "support/prompt.h"
#include "support/text.h"

namespace velgram {

namespace {

constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

bool IsBlank(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '\v' || c == '\f'; }

}  // namespace

std::string TrimBlanks(std::string_view text) {
  size_t b = 0, e = text.size();
  while (b < e && IsBlank(text[b])) ++b;
  while (e > b && IsBlank(text[e - 1])) --e;
  return std::string(text.substr(b, e - b));
}

std::vector<std::string> SplitImportLine(std::string_view line, char separator, char quote) {
  std::vector<std::string> fields;
  std::string field;
  bool inQuotes = false;
  for (size_t i = 0; i < line.size(); ++i) {
    char c = line[i];
    if (inQuotes) {
      if (c == quote) {
        if (i + 1 < line.size() && line[i + 1] == quote) {
          field.push_back(quote);
          ++i;
        } else {
          inQuotes = false;
        }
      } else {
        field.push_back(c);
      }
    } else if (c == quote) {
      inQuotes = true;
      field.clear();
    } else if (c == separator) {
      fields.push_back(std::move(field));
      field.clear();
    } else {
      field.push_back(c);
    }
  }
  if (!field.empty()) fields.push_back(std::move(field));
  return fields;
}

int ParseGender(std::string_view text) {
  if (text.empty()) return -1;
  switch (text[0]) {
    case 'M':
    case 'm':
      return 1;
    case 'V':
    case 'v':
      return 0;
    default:
      return -1;
  }
}

int ParseRating(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && IsBlank(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  long long value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > static_cast<long long>(INT_MAX) + 1) value = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) return static_cast<int>(-value);  // INT_MAX + 1 negated is INT_MIN
  return value > INT_MAX ? INT_MAX : static_cast<int>(value);
}

bool ParseImportLine(std::string_view line, PlayerRecord& row, char separator, bool* approximated) {
  while (!line.empty() && (line.back() == '\r' || line.back() == '\n')) line.remove_suffix(1);
  std::string text = TrimBlanks(line);
  if (text.empty()) return false;
  std::vector<std::string> fields = SplitImportLine(text, separator);
  if (fields.size() != 7) return false;
  // A byte-order mark that is not at the start of the file (files joined
  // together) is not part of anybody's name either.
  std::string rawName = TrimBlanks(fields[0]);
  while (rawName.starts_with(kUtf8Bom)) rawName = TrimBlanks(std::string_view(rawName).substr(kUtf8Bom.size()));
  bool nameChanged = false, clubChanged = false;
  std::string name = TrimBlanks(ImportText(rawName, &nameChanged));
  while (name.starts_with(kUtf8Bom)) name = TrimBlanks(std::string_view(name).substr(kUtf8Bom.size()));
  // The header line of a file; "naam" is a participant's name.
  if (name == "Naam") return false;
  // A participant without a name could be neither shown nor told apart.
  if (name.empty()) return false;
  row = PlayerRecord{};
  row.id = -1;
  row.name = std::move(name);
  row.clubName = TrimBlanks(ImportText(fields[1], &clubChanged));
  if (approximated) *approximated = nameChanged || clubChanged;
  row.idClub = -1;
  row.bondsnummer = TrimBlanks(fields[2]);
  row.gender = ParseGender(TrimBlanks(fields[3]));
  row.email = TrimBlanks(fields[4]);
  row.rating = ParseRating(TrimBlanks(fields[5]));
  row.klasse = TrimBlanks(fields[6]);
  return true;
}

char DetectSeparator(std::string_view firstLine) {
  std::string text = TrimBlanks(firstLine);
  for (char separator : {',', ';', '\t'})
    if (SplitImportLine(text, separator).size() == 7) return separator;
  return ',';
}

std::string SeparatorName(char separator) {
  if (separator == ';') return "puntkomma";
  if (separator == '\t') return "tab";
  return "komma";
}

void ImportRowCollector::Line(std::string_view line) {
  if (!decided_) {
    if (TrimBlanks(line).empty()) return;
    file_.separator = DetectSeparator(line);
    decided_ = true;
  }
  PlayerRecord row;
  bool approximated = false;
  if (!ParseImportLine(line, row, file_.separator, &approximated)) return;
  if (approximated && std::find(file_.approximated.begin(), file_.approximated.end(), row.name) ==
                          file_.approximated.end())
    file_.approximated.push_back(row.name);
  file_.rows.push_back(std::move(row));
}

// ---------------------------------------------------------------- line reader

void ImportLineReader::Feed(std::string_view bytes) {
  if (mode_ == Mode::kUndecided) {
    head_.append(bytes);
    if (head_.size() < 3) return;
    Decide(false);
    return;
  }
  FeedDecided(bytes);
}

void ImportLineReader::Decide(bool atEnd) {
  std::string_view head = head_;
  if (head.starts_with(kUtf8Bom)) {
    mode_ = Mode::kBytes;
    head.remove_prefix(3);
  } else if (head.starts_with("\xFF\xFE")) {
    mode_ = Mode::kUtf16Le;
    head.remove_prefix(2);
  } else if (head.starts_with("\xFE\xFF")) {
    mode_ = Mode::kUtf16Be;
    head.remove_prefix(2);
  } else if (atEnd || head.size() >= 3) {
    mode_ = Mode::kBytes;
  } else {
    return;
  }
  std::string rest(head);
  head_.clear();
  head_.shrink_to_fit();
  FeedDecided(rest);
}

void ImportLineReader::FeedDecided(std::string_view bytes) {
  if (mode_ == Mode::kBytes) {
    // Runs of ordinary bytes go into the line in one step.
    size_t i = 0, n = bytes.size();
    while (i < n) {
      char c = bytes[i];
      if (c == '\r' || c == '\n' || c == '\0') {
        Byte(static_cast<unsigned char>(c));
        ++i;
        continue;
      }
      afterCr_ = false;
      size_t end = std::min(n, i + (kImportLinePiece - line_.size()));
      size_t j = i;
      while (j < end && bytes[j] != '\r' && bytes[j] != '\n' && bytes[j] != '\0') ++j;
      line_.append(bytes.substr(i, j - i));
      if (line_.size() >= kImportLinePiece) EndLine();
      i = j;
    }
    return;
  }
  for (char ch : bytes) {
    unsigned char c = static_cast<unsigned char>(ch);
    if (oddByte_ < 0) {
      oddByte_ = c;
      continue;
    }
    unsigned first = static_cast<unsigned>(oddByte_);
    oddByte_ = -1;
    Unit(mode_ == Mode::kUtf16Le ? (first | (c << 8)) : ((first << 8) | c));
  }
}

void ImportLineReader::Unit(unsigned unit) {
  bool low = unit >= 0xDC00 && unit <= 0xDFFF;
  if (highSurrogate_ >= 0) {
    const unsigned high = static_cast<unsigned>(highSurrogate_);
    highSurrogate_ = -1;
    if (low) {  // a character beyond the Basic Multilingual Plane
      CodePoint(0x10000 + ((high - 0xD800) << 10) + (unit - 0xDC00));
      return;
    }
    Byte('?');  // a high surrogate alone is no character
  }
  if (unit >= 0xD800 && unit <= 0xDBFF) {
    highSurrogate_ = static_cast<int>(unit);
    return;
  }
  if (low) {
    Byte('?');
    return;
  }
  CodePoint(unit);
}

// A UTF-16 file's line is held as UTF-8, so that its fields go through the
// same conversion as a UTF-8 file's: letters Windows-1252 lacks are brought
// to the nearest it has ("Wa\u0142\u0119sa" to "Walesa") and the row is
// named in the import's report, instead of becoming "?" unnoticed.
void ImportLineReader::CodePoint(char32_t c) {
  if (c < 0x80) {
    Byte(static_cast<unsigned char>(c));
  } else if (c < 0x800) {
    Byte(static_cast<unsigned char>(0xC0 | (c >> 6)));
    Byte(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  } else if (c < 0x10000) {
    Byte(static_cast<unsigned char>(0xE0 | (c >> 12)));
    Byte(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
    Byte(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  } else {
    Byte(static_cast<unsigned char>(0xF0 | (c >> 18)));
    Byte(static_cast<unsigned char>(0x80 | ((c >> 12) & 0x3F)));
    Byte(static_cast<unsigned char>(0x80 | ((c >> 6) & 0x3F)));
    Byte(static_cast<unsigned char>(0x80 | (c & 0x3F)));
  }
}

void ImportLineReader::Byte(unsigned char c) {
  if (c == '\n') {
    if (afterCr_) {
      afterCr_ = false;
      return;
    }
    EndLine();
    return;
  }
  afterCr_ = false;
  if (c == '\r') {
    EndLine();
    afterCr_ = true;
    return;
  }
  if (c == 0) return;
  line_.push_back(static_cast<char>(c));
  if (line_.size() >= kImportLinePiece) EndLine();
}

void ImportLineReader::EndLine() {
  onLine_(line_);
  line_.clear();
}

void ImportLineReader::Finish() {
  if (mode_ == Mode::kUndecided) Decide(true);
  if (highSurrogate_ >= 0) {
    highSurrogate_ = -1;
    Byte('?');
  }
  if (oddByte_ >= 0) {  // half a UTF-16 unit
    oddByte_ = -1;
    Byte('?');
  }
  if (!line_.empty()) EndLine();
  afterCr_ = false;
}

// ---------------------------------------------------------------- files

ImportFile ParseImportText(std::string_view content) {
  ImportRowCollector rows;
  ImportLineReader reader([&rows](std::string_view line) { rows.Line(line); });
  reader.Feed(content);
  reader.Finish();
  return rows.Take();
}

std::optional<ImportFile> ReadImportFile(const std::string& path) {
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (!f) return std::nullopt;
  ImportRowCollector rows;
  ImportLineReader reader([&rows](std::string_view line) { rows.Line(line); });
  std::string buffer(1 << 16, '\0');
  size_t n;
  while ((n = std::fread(buffer.data(), 1, buffer.size(), f)) > 0) reader.Feed(std::string_view(buffer.data(), n));
  bool failed = std::ferror(f) != 0;  // a folder, or a read error half-way
  std::fclose(f);
  if (failed) return std::nullopt;
  reader.Finish();
  return rows.Take();
}

ImportFile LoadImportRows(const std::string& path, Prompter& prompter) {
  std::optional<ImportFile> file = ReadImportFile(path);
  if (!file) {
    prompter.Alert("Kan bestand niet openen");
    return {};
  }
  return std::move(*file);
}

std::string GenderLetter(int gender) {
  if (gender == 1) return "M";
  if (gender == 0) return "V";
  return "?";
}

std::array<std::string, 7> ImportPreviewCells(const PlayerRecord& row) {
  return {row.name, row.clubName, row.bondsnummer, GenderLetter(row.gender), Format("%d", row.rating), row.klasse,
          row.email};
}

}  // namespace velgram
