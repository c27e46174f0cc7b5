#include "store/recordset.h"

#include <tinyxml2.h>

#include <cctype>
#include <cstdlib>
#include <cstring>

namespace velgram {

std::string QuoteSql(const std::string& text) {
  std::string out;
  out.reserve(text.size() + 8);
  for (char c : text) {
    out += c;
    if (c == '\'') out += '\'';
  }
  return out;
}

void AppendEscaped(std::string& out, const char* value) {
  for (const char* p = value; *p; ++p) {
    // A double quote becomes "&quot;" whose ampersand is escaped in turn, so
    // it is written as "&amp;quot;"; readers undo both steps.
    if (*p == '"')
      out += "&amp;quot;";
    else if (*p == '&')
      out += "&amp;";
    else if (*p == '\r')
      out += "&#13;";  // the XML reader turns a raw CR (and CR LF) into LF
    else
      out += *p;
  }
}

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

// The reader's decoding of an attribute as the XML reader hands it over.
std::string DecodeAttribute(std::string s) {
  ReplaceAll(s, "&amp;", "&");
  ReplaceAll(s, "&quot;", "\"");
  return s;
}

// What the XML reader accepts as an attribute name.
bool IsXmlName(const std::string& name) {
  auto start = [](unsigned char c) { return c >= 128 || std::isalpha(c) || c == ':' || c == '_'; };
  auto rest = [&](unsigned char c) { return start(c) || std::isdigit(c) || c == '.' || c == '-'; };
  if (name.empty() || !start(static_cast<unsigned char>(name[0]))) return false;
  for (char c : name)
    if (!rest(static_cast<unsigned char>(c))) return false;
  return true;
}

}  // namespace

// ------------------------------------------------------------------ Records

namespace {

// The buffers of the last record set that ended on this thread. Record sets
// are locals read one after the other: the next one starts with the memory
// of the one before instead of growing its own from nothing (and having the
// system clear fresh pages for it). Buffers above kKeepBytes are let go, so
// one very large result does not stay in memory.
struct SpareBuffers {
  std::string values;
  std::vector<uint32_t> cells;
};
constexpr size_t kKeepBytes = size_t{4} << 20;

SpareBuffers& Spare() {
  thread_local SpareBuffers spare;
  return spare;
}

}  // namespace

Records::~Records() {
  SpareBuffers& spare = Spare();
  if (values_.capacity() > spare.values.capacity() && values_.capacity() <= kKeepBytes) spare.values.swap(values_);
  if (cells_.capacity() > spare.cells.capacity() && cells_.capacity() * sizeof(uint32_t) <= kKeepBytes)
    spare.cells.swap(cells_);
}

void Records::Start(bool oneStatement) {
  SpareBuffers& spare = Spare();
  if (spare.values.capacity() > values_.capacity()) values_.swap(spare.values);
  if (spare.cells.capacity() > cells_.capacity()) cells_.swap(spare.cells);
  ok_ = true;
  oneStatement_ = oneStatement;
  unreadable_ = false;
  columns_.clear();
  rows_ = 0;
  cells_.clear();
  values_.clear();
  text_.clear();
  textBuilt_ = false;
}

void Records::Fail() {
  Start();
  ok_ = false;
}

void Records::AppendRow(int count, char** values, char** names) {
  // The rows of one statement share their column names; a statement text may
  // hold several statements, each with its own.
  bool same = !columns_.empty() && columns_.back().names.size() == static_cast<size_t>(count);
  for (int i = 0; same && !oneStatement_ && i < count; ++i)
    same = std::strcmp(columns_.back().names[i].c_str(), names[i] ? names[i] : "") == 0;
  if (!same) {
    Columns c;
    c.firstRow = rows_;
    c.firstCell = cells_.size();
    for (int i = 0; i < count; ++i) {
      c.names.emplace_back(names[i] ? names[i] : "");
      for (int k = 0; k < i; ++k)
        if (c.names[k] == c.names[i]) c.unreadable = true;
      if (!IsXmlName(c.names[i])) c.unreadable = true;
    }
    unreadable_ = unreadable_ || c.unreadable;
    columns_.push_back(std::move(c));
  }
  ++rows_;
  const size_t first = cells_.size();
  cells_.resize(first + static_cast<size_t>(count));
  uint32_t* cell = cells_.data() + first;
  for (int i = 0; i < count; ++i) {
    cell[i] = static_cast<uint32_t>(values_.size());
    if (values[i])
      values_.append(values[i], std::strlen(values[i]) + 1);  // with its NUL
    else
      values_.push_back('\0');  // NULL is written as an empty value
  }
}

const std::string& Records::Text() const {
  if (textBuilt_) return text_;
  text_.clear();
  if (ok_) {
    text_ = "<Records>";
    for (const Columns& c : columns_) {
      size_t end = &c == &columns_.back() ? rows_ : (&c + 1)->firstRow;
      for (size_t row = c.firstRow; row < end; ++row) {
        text_ += "<Record";
        for (size_t i = 0; i < c.names.size(); ++i) {
          text_ += ' ';
          text_ += c.names[i];
          text_ += "=\"";
          AppendEscaped(text_, Value(Cell(c, row, static_cast<int>(i))));
          text_ += '"';
        }
        text_ += " />";
      }
    }
    text_ += "</Records>";
  }
  textBuilt_ = true;
  return text_;
}

int Records::Find(const Columns& columns, const char* name, int& hint) {
  // Readers mostly ask for the columns in their order: the search starts
  // after the column found last. With a name twice the rows are unreadable,
  // so which of the two is found does not matter.
  const std::vector<std::string>& names = columns.names;
  const int n = static_cast<int>(names.size());
  if (hint < 0 || hint >= n) hint = 0;
  for (int k = 0; k < n; ++k) {
    int i = hint + k < n ? hint + k : hint + k - n;
    const char* a = names[static_cast<size_t>(i)].c_str();
    const char* b = name;
    while (*a && *a == *b) ++a, ++b;
    if (*a == *b) {
      hint = i + 1;
      return i;
    }
  }
  return -1;
}

// ---------------------------------------------------------------- RecordSet

RecordSet::RecordSet(const Records& records) : records_(&records) {}
RecordSet::RecordSet(const std::string& records) : text_(&records) {}
RecordSet::~RecordSet() = default;

bool RecordSet::First() {
  if (records_) {
    row_ = records_->ok_ && !records_->unreadable_ ? 0 : records_->rows_;
    columns_ = 0;
    return HasRow();
  }
  current_ = nullptr;
  if (!doc_) {
    // Whitespace inside values must come back as stored.
    doc_ = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    if (doc_->Parse(text_->data(), text_->size()) != tinyxml2::XML_SUCCESS) return false;
  }
  const tinyxml2::XMLElement* root = doc_->FirstChildElement("Records");
  if (root) current_ = root->FirstChildElement("Record");
  return current_ != nullptr;
}

bool RecordSet::Next() {
  if (records_) {
    if (HasRow()) ++row_;
    const std::vector<Records::Columns>& all = records_->columns_;
    while (columns_ + 1 < all.size() && all[columns_ + 1].firstRow <= row_) ++columns_;
    return HasRow();
  }
  if (current_) current_ = current_->NextSiblingElement("Record");
  return current_ != nullptr;
}

const char* RecordSet::Raw(const char* column, size_t* length) const {
  if (records_) {
    if (!HasRow()) return nullptr;
    const Records::Columns& c = records_->columns_[columns_];
    int i = Records::Find(c, column, hint_);
    if (i < 0) return nullptr;
    size_t cell = records_->Cell(c, row_, i);
    if (length) *length = records_->Length(cell);
    return records_->Value(cell);
  }
  const char* v = current_ ? current_->Attribute(column) : nullptr;
  if (v && length) *length = std::strlen(v);
  return v;
}

std::string RecordSet::Text(const char* column) const {
  size_t length = 0;
  const char* v = Raw(column, &length);
  if (!v) return "";
  if (!records_) return DecodeAttribute(v);
  // The text reader gets every double quote back as "&quot;" and then undoes
  // "&amp;" and "&quot;" once more; without an ampersand that gives back the
  // stored value, with one the same steps are taken here.
  if (!std::memchr(v, '&', length)) return std::string(v, length);
  std::string s;
  for (const char* p = v; *p; ++p) {
    if (*p == '"')
      s += "&quot;";
    else
      s += *p;
  }
  return DecodeAttribute(std::move(s));
}

int RecordSet::Int(const char* column) const {
  const char* v = Raw(column, nullptr);
  if (!v) return -1;
  // A double quote or an ampersand ends the digits either way, so the stored
  // value converts as its XML form does. Plain numbers (SQLite's text of an
  // integer column) are read here; anything else as atoi reads it.
  const char* p = v;
  bool negative = *p == '-';
  if (negative) ++p;
  int value = 0;
  int digits = 0;
  for (; *p >= '0' && *p <= '9' && digits < 9; ++p, ++digits) value = value * 10 + (*p - '0');
  if (*p == '\0' && digits > 0) return negative ? -value : value;
  return std::atoi(v);
}

}  // namespace velgram
