#pragma once
// The rows of one query as the record-set text "<Records><Record a="1" .../>
// ...</Records>", and its reader.
#include <memory>
#include <string>

namespace tinyxml2 {
class XMLDocument;
class XMLElement;
}  // namespace tinyxml2

namespace velgram {

// Doubles every single quote, for text values put between quotes in SQL.
std::string QuoteSql(const std::string& text);

// A record-set text has rows when it is 20 characters or longer; the empty
// result "<Records></Records>" has 19.
inline bool HasRows(const std::string& records) { return records.size() >= 20; }

class RecordSet {
 public:
  // The reader keeps a reference to the text, which must outlive it; a
  // temporary would be gone before the first row is read.
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
  bool HasRow() const { return current_ != nullptr; }

  // The column of the current row; "" when there is no row or no such column.
  std::string Text(const char* column) const;
  // atoi of the column; -1 when there is no row or no such column, so a NULL
  // column gives 0.
  int Int(const char* column) const;

 private:
  const std::string& text_;
  std::unique_ptr<tinyxml2::XMLDocument> doc_;
  const tinyxml2::XMLElement* current_ = nullptr;
};

}  // namespace velgram
