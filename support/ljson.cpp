#include "support/ljson.h"

#include <climits>
#include <clocale>
#include <cmath>
#include <cstdlib>
#include <locale.h>

#include "support/text.h"

namespace velgram {

namespace {

using Node = Ljson::Node;

// Deeper nesting fails the parse instead of exhausting the stack.
constexpr int kMaxDepth = 512;

bool IsSpace(char32_t c) { return c == U' ' || c == U'\t' || c == U'\n' || c == U'\r'; }

char32_t LowerAscii(char32_t c) { return (c >= U'A' && c <= U'Z') ? c + 32 : c; }

// Decimal conversion independent of the process locale (the application sets
// LC_NUMERIC from the environment, where the decimal mark may be a comma).
double ParseDouble(const std::string& ascii) {
  static locale_t c_locale = newlocale(LC_ALL_MASK, "C", static_cast<locale_t>(0));
  if (c_locale) return strtod_l(ascii.c_str(), nullptr, c_locale);
  return std::strtod(ascii.c_str(), nullptr);
}

class Parser {
 public:
  explicit Parser(const std::u32string& text) : s_(text) {}

  std::unique_ptr<Node> ParseDocument() {
    SkipSpace();
    auto root = ParseValue(0);
    if (!root) return nullptr;
    SkipSpace();
    if (pos_ != s_.size()) return nullptr;
    return root;
  }

 private:
  const std::u32string& s_;
  size_t pos_ = 0;

  bool AtEnd() const { return pos_ >= s_.size(); }
  char32_t Peek() const { return AtEnd() ? 0 : s_[pos_]; }

  void SkipSpace() {
    while (!AtEnd() && IsSpace(s_[pos_])) ++pos_;
  }

  bool MatchLiteral(const char* word) {
    size_t p = pos_;
    for (const char* w = word; *w; ++w, ++p)
      if (p >= s_.size() || LowerAscii(s_[p]) != static_cast<char32_t>(*w)) return false;
    pos_ = p;
    return true;
  }

  std::unique_ptr<Node> ParseValue(int depth) {
    if (AtEnd()) return nullptr;
    char32_t c = s_[pos_];
    if (c == U'{' || c == U'[') {
      if (depth >= kMaxDepth) return nullptr;
      return c == U'{' ? ParseObject(depth + 1) : ParseArray(depth + 1);
    }
    if (c == U'"') {
      auto node = std::make_unique<Node>();
      node->type = Node::String;
      if (!ParseString(node->str)) return nullptr;
      return node;
    }
    if (c == U'-' || (c >= U'0' && c <= U'9')) return ParseNumber();
    auto node = std::make_unique<Node>();
    if (MatchLiteral("true")) {
      node->type = Node::Boolean;
      node->boolean = true;
    } else if (MatchLiteral("false")) {
      node->type = Node::Boolean;
      node->boolean = false;
    } else if (MatchLiteral("null")) {
      node->type = Node::Null;
    } else {
      return nullptr;
    }
    return node;
  }

  std::unique_ptr<Node> ParseNumber() {
    size_t start = pos_;
    if (Peek() == U'-') ++pos_;
    auto digits = [&] {
      size_t n = 0;
      while (!AtEnd() && s_[pos_] >= U'0' && s_[pos_] <= U'9') ++pos_, ++n;
      return n;
    };
    if (Peek() == U'0') {
      ++pos_;
    } else if (digits() == 0) {
      return nullptr;
    }
    if (Peek() == U'.') {
      ++pos_;
      if (digits() == 0) return nullptr;
    }
    if (Peek() == U'e' || Peek() == U'E') {
      ++pos_;
      if (Peek() == U'+' || Peek() == U'-') ++pos_;
      if (digits() == 0) return nullptr;
    }
    std::string ascii;
    ascii.reserve(pos_ - start);
    for (size_t i = start; i < pos_; ++i) ascii += static_cast<char>(s_[i]);
    auto node = std::make_unique<Node>();
    node->type = Node::Number;
    node->number = ParseDouble(ascii);  // out of range gives +-HUGE_VAL or 0
    return node;
  }

  bool Hex4(char32_t& out) {
    if (s_.size() - pos_ < 4) return false;
    char32_t v = 0;
    for (int i = 0; i < 4; ++i) {
      char32_t c = s_[pos_ + i];
      int d;
      if (c >= U'0' && c <= U'9')
        d = static_cast<int>(c - U'0');
      else if (c >= U'a' && c <= U'f')
        d = static_cast<int>(c - U'a') + 10;
      else if (c >= U'A' && c <= U'F')
        d = static_cast<int>(c - U'A') + 10;
      else
        return false;
      v = v * 16 + static_cast<char32_t>(d);
    }
    pos_ += 4;
    out = v;
    return true;
  }

  // At the opening quote.
  bool ParseString(std::u32string& out) {
    ++pos_;
    while (!AtEnd()) {
      char32_t c = s_[pos_++];
      if (c == U'"') return true;
      if (c == U'\\') {
        if (AtEnd()) return false;
        char32_t e = s_[pos_++];
        switch (e) {
          case U'"': out += U'"'; break;
          case U'\\': out += U'\\'; break;
          case U'/': out += U'/'; break;
          case U'b': out += U'\b'; break;
          case U'f': out += U'\f'; break;
          case U'n': out += U'\n'; break;
          case U'r': out += U'\r'; break;
          case U't': out += U'\t'; break;
          case U'u': {
            char32_t cp;
            if (!Hex4(cp)) return false;
            if (cp >= 0xD800 && cp <= 0xDBFF && s_.size() - pos_ >= 6 && s_[pos_] == U'\\' &&
                s_[pos_ + 1] == U'u') {
              size_t save = pos_;
              pos_ += 2;
              char32_t lo;
              if (Hex4(lo) && lo >= 0xDC00 && lo <= 0xDFFF)
                cp = 0x10000 + ((cp - 0xD800) << 10) + (lo - 0xDC00);
              else
                pos_ = save;  // a lone high surrogate; the next escape stands alone
            }
            out += cp;  // a lone surrogate stays as it is and narrows to '?'
            break;
          }
          default:
            return false;
        }
        continue;
      }
      // Control characters must be escaped; a raw tab is tolerated.
      if (c < 0x20 && c != U'\t') return false;
      out += c;
    }
    return false;  // no closing quote
  }

  std::unique_ptr<Node> ParseArray(int depth) {
    ++pos_;
    auto node = std::make_unique<Node>();
    node->type = Node::Array;
    SkipSpace();
    if (Peek() == U']' && !AtEnd()) {
      ++pos_;
      return node;
    }
    for (;;) {
      SkipSpace();
      auto item = ParseValue(depth);
      if (!item) return nullptr;
      node->items.push_back(std::move(item));
      SkipSpace();
      if (AtEnd()) return nullptr;
      char32_t c = s_[pos_++];
      if (c == U']') return node;
      if (c != U',') return nullptr;
    }
  }

  std::unique_ptr<Node> ParseObject(int depth) {
    ++pos_;
    auto node = std::make_unique<Node>();
    node->type = Node::Object;
    SkipSpace();
    if (Peek() == U'}' && !AtEnd()) {
      ++pos_;
      return node;
    }
    for (;;) {
      SkipSpace();
      if (Peek() != U'"' || AtEnd()) return nullptr;
      std::u32string name;
      if (!ParseString(name)) return nullptr;
      SkipSpace();
      if (Peek() != U':' || AtEnd()) return nullptr;
      ++pos_;
      SkipSpace();
      auto value = ParseValue(depth);
      if (!value) return nullptr;
      node->members.insert_or_assign(std::move(name), std::move(value));  // the last one wins
      SkipSpace();
      if (AtEnd()) return nullptr;
      char32_t c = s_[pos_++];
      if (c == U'}') return node;
      if (c != U',') return nullptr;
    }
  }
};

std::u32string Widen(const std::string& text) {
  std::u32string out;
  out.reserve(text.size());
  for (char c : text) out += Cp1252ToUnicode(static_cast<unsigned char>(c));
  return out;
}

std::string Narrow(const std::u32string& text) {
  std::string out;
  out.reserve(text.size());
  for (char32_t c : text) out += UnicodeToCp1252(c);
  return out;
}

// A segment that is a decimal index of the array: digits only, below its length.
const Node* Element(const Node* node, const std::string& segment) {
  if (!node || node->type != Node::Array || segment.empty()) return nullptr;
  size_t index = 0;
  for (char c : segment) {
    if (c < '0' || c > '9') return nullptr;
    index = index * 10 + static_cast<size_t>(c - '0');
    if (index >= node->items.size()) return nullptr;  // also stops any overflow
  }
  return node->items[index].get();
}

const Node* Member(const Node* node, const std::string& name) {
  if (!node || node->type != Node::Object) return nullptr;
  auto it = node->members.find(Widen(name));
  return it == node->members.end() ? nullptr : it->second.get();
}

// Walks all segments but the last; gives the node reached and the last segment.
const Node* Walk(const Node* node, const std::string& path, std::string& last) {
  size_t start = 0;
  for (;;) {
    size_t bar = path.find('|', start);
    if (bar == std::string::npos) break;
    std::string segment = path.substr(start, bar - start);
    if (!node) return nullptr;
    if (node->type == Node::Array)
      node = Element(node, segment);
    else if (node->type == Node::Object)
      node = Member(node, segment);
    else
      return nullptr;
    if (!node) return nullptr;
    start = bar + 1;
  }
  last = path.substr(start);
  return node;
}

// The last segment as a member name; empty means the node itself.
const Node* Target(const Node* node, const std::string& last) {
  return last.empty() ? node : Member(node, last);
}

int RoundToInt(double d) {
  double r = std::round(d);  // half away from zero
  if (std::isnan(r)) return 0;
  if (r >= static_cast<double>(INT_MAX)) return INT_MAX;
  if (r <= static_cast<double>(INT_MIN)) return INT_MIN;
  return static_cast<int>(r);
}

// The leading decimal integer of a text, as strtol reads it; clamped to int.
int LeadingInt(const std::u32string& s) {
  size_t i = 0;
  while (i < s.size() && (s[i] == U' ' || (s[i] >= U'\t' && s[i] <= U'\r'))) ++i;
  bool negative = false;
  if (i < s.size() && (s[i] == U'+' || s[i] == U'-')) negative = s[i++] == U'-';
  long long v = 0;
  for (; i < s.size() && s[i] >= U'0' && s[i] <= U'9'; ++i) {
    v = v * 10 + static_cast<long long>(s[i] - U'0');
    if (v > static_cast<long long>(INT_MAX) + 1) v = static_cast<long long>(INT_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT_MAX) return INT_MAX;
  if (v < INT_MIN) return INT_MIN;
  return static_cast<int>(v);
}

}  // namespace

Ljson::Ljson(const std::string& text) {
  try {
    std::u32string wide = Widen(text);
    Parser parser(wide);
    root_ = parser.ParseDocument();
  } catch (...) {
    root_.reset();
  }
}

bool Ljson::GetInt(const std::string& path, int& out) const {
  try {
    std::string last;
    const Node* node = Target(Walk(root_.get(), path, last), last);
    if (!node) return false;
    if (node->type == Node::Number)
      out = RoundToInt(node->number);
    else if (node->type == Node::String)
      out = LeadingInt(node->str);
    return true;
  } catch (...) {
    return false;
  }
}

bool Ljson::GetString(const std::string& path, std::string& out) const {
  try {
    std::string last;
    const Node* current = Walk(root_.get(), path, last);
    if (!current) return false;
    const Node* node = Target(current, last);
    if (node && node->type == Node::String) {
      out = Narrow(node->str);
      return true;
    }
    if (const Node* element = Element(current, last); element && element->type == Node::String) {
      out = Narrow(element->str);
      return true;
    }
    if (node && node->type == Node::Null) {
      out = "null";
      return true;
    }
    return false;
  } catch (...) {
    return false;
  }
}

bool Ljson::GetCount(const std::string& path, int& out) const {
  try {
    std::string last;
    const Node* node = Target(Walk(root_.get(), path, last), last);
    if (!node || node->type != Node::Array) return false;
    out = node->items.size() > static_cast<size_t>(INT_MAX) ? INT_MAX
                                                           : static_cast<int>(node->items.size());
    return true;
  } catch (...) {
    return false;
  }
}

bool Ljson::GetBool(const std::string& path, bool& out) const {
  try {
    std::string last;
    const Node* node = Target(Walk(root_.get(), path, last), last);
    if (!node || node->type != Node::Boolean) return false;
    out = node->boolean;
    return true;
  } catch (...) {
    return false;
  }
}

}  // namespace velgram
