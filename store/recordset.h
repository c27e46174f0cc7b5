#pragma once
// The rows of one query, and their reader. The rows are held as a list
// (Records); the record-set text "<Records><Record a="1" .../>...</Records>"
// is built from that list only for whoever asks for it. A reader reads the
// same from the list as from the text.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace velgram {

// Doubles every single quote, for text values put between quotes in SQL.
std::string QuoteSql(const std::string& text);

// Appends a column value as the record-set text writes it: a double quote as
// "&amp;quot;", an ampersand as "&amp;", a carriage return as "&#13;" (an XML
// reader would turn a raw one into a line feed).
void AppendEscaped(std::string& out, const char* value);

// The rows of one query, as SQLite delivered them.
class Records {
 public:
  // A set that no statement has filled reads as a failed one: no text.
  Records() = default;
  // Hands its buffers on to the next set filled on this thread (see Start).
  ~Records();
  Records(const Records&) = default;
  Records& operator=(const Records&) = default;
  Records(Records&&) = default;
  Records& operator=(Records&&) = default;

  // The record-set text; "" after a failed statement. Built on first use.
  const std::string& Text() const;
  bool Failed() const { return !ok_; }
  size_t RowCount() const { return rows_; }

  // The statement path (Database): starts an empty result, adds a row in the
  // form of SQLite's row callback, or ends with a failure. oneStatement: the
  // text holds a single statement, so all rows have the same columns.
  void Start(bool oneStatement = false);
  void AppendRow(int count, char** values, char** names);
  void Fail();

 private:
  friend class RecordSet;
  // The rows that follow each other with the same column names: rows
  // firstRow, firstRow + 1, ... with their values from cell firstCell on, one
  // cell per column.
  struct Columns {
    std::vector<std::string> names;
    // The text of a row with these columns would not be readable XML (a name
    // that is no XML name, such as "COUNT(*)", or a name twice): a reader of
    // the text then finds no rows at all, and nor does one of the list.
    bool unreadable = false;
    size_t firstRow = 0;
    size_t firstCell = 0;
  };
  // The index of the column called name, or -1; hint is where the search
  // starts and is moved past the column found.
  static int Find(const Columns& columns, const char* name, int& hint);
  size_t Cell(const Columns& columns, size_t row, int column) const {
    return columns.firstCell + (row - columns.firstRow) * columns.names.size() + static_cast<size_t>(column);
  }
  const char* Value(size_t cell) const { return values_.data() + cells_[cell]; }
  size_t Length(size_t cell) const {
    size_t end = cell + 1 < cells_.size() ? cells_[cell + 1] : values_.size();
    return end - cells_[cell] - 1;
  }

  bool ok_ = false;
  bool oneStatement_ = false;
  bool unreadable_ = false;
  std::vector<Columns> columns_;  // one entry per change of the column names
  size_t rows_ = 0;
  std::vector<uint32_t> cells_;  // offset of each value in values_
  std::string values_;         // the values, each ended by a NUL
  mutable std::string text_;
  mutable bool textBuilt_ = false;
};

// A record set has rows when its text is 20 characters or longer; the empty
// result "<Records></Records>" has 19, a failed statement none.
inline bool HasRows(const std::string& records) { return records.size() >= 20; }
inline bool HasRows(const Records& records) { return !records.Failed() && records.RowCount() > 0; }

class RecordSet {
 public:
  // The reader keeps a reference to the rows, which must outlive it; a
  // temporary would be gone before the first row is read.
  explicit RecordSet(const Records& records);
  RecordSet(Records&&) = delete;
  RecordSet(const Records&&) = delete;
  // The same over a record-set text, parsed as XML.
  explicit RecordSet(const std::string& records);
  RecordSet(std::string&&) = delete;
  RecordSet(const std::string&&) = delete;
  ~RecordSet();
  RecordSet(const RecordSet&) = delete;
  RecordSet& operator=(const RecordSet&) = delete;

  // Moves to the first row; false when there is none.
  bool First();
  // Moves to the next row; false when there is none.
  bool Next();
  bool HasRow() const { return records_ ? row_ < records_->rows_ : current_ != nullptr; }

  // The column of the current row; "" when there is no row or no such column.
  std::string Text(const char* column) const;
  // atoi of the column; -1 when there is no row or no such column, so a NULL
  // column gives 0.
  int Int(const char* column) const;

 private:
  // The value as stored (as the XML reader decodes it, for a text), or null.
  const char* Raw(const char* column, size_t* length) const;

  const Records* records_ = nullptr;
  size_t row_ = static_cast<size_t>(-1);
  size_t columns_ = 0;  // the entry of Records::columns_ that holds row_
  mutable int hint_ = 0;
  const std::string* text_ = nullptr;
  std::unique_ptr<tinyxml2::XMLDocument> doc_;
  const tinyxml2::XMLElement* current_ = nullptr;
};

}  // namespace velgram
