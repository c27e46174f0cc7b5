#include "store/recordset.h"

#include <tinyxml2.h>

#include <cstdlib>

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

namespace {

void ReplaceAll(std::string& s, const std::string& from, const std::string& to) {
  size_t pos = 0;
  while ((pos = s.find(from, pos)) != std::string::npos) {
    s.replace(pos, from.size(), to);
    pos += to.size();
  }
}

}  // namespace

RecordSet::RecordSet(const std::string& records) : text_(records) {}
RecordSet::~RecordSet() = default;

bool RecordSet::First() {
  current_ = nullptr;
  if (!doc_) {
    // Whitespace inside values must come back as stored.
    doc_ = std::make_unique<tinyxml2::XMLDocument>(true, tinyxml2::PRESERVE_WHITESPACE);
    if (doc_->Parse(text_.data(), text_.size()) != tinyxml2::XML_SUCCESS) return false;
  }
  const tinyxml2::XMLElement* root = doc_->FirstChildElement("Records");
  if (root) current_ = root->FirstChildElement("Record");
  return current_ != nullptr;
}

bool RecordSet::Next() {
  if (current_) current_ = current_->NextSiblingElement("Record");
  return current_ != nullptr;
}

std::string RecordSet::Text(const char* column) const {
  if (!current_) return "";
  const char* v = current_->Attribute(column);
  if (!v) return "";
  std::string s(v);
  ReplaceAll(s, "&amp;", "&");
  ReplaceAll(s, "&quot;", "\"");
  return s;
}

int RecordSet::Int(const char* column) const {
  if (!current_) return -1;
  const char* v = current_->Attribute(column);
  if (!v) return -1;
  return std::atoi(v);
}

}  // namespace velgram
