#include "exchange/from_utf8.h"

#include <array>

#include "support/text.h"

namespace velgram {

namespace {

using namespace std::string_view_literals;

// One replace-all step. Steps whose replacements can neither create nor break
// a match of another step in the same group run side by side as one stage;
// the stages run in the order of the original sequence, each one handing its
// output straight on to the next, so the text is read once.
struct Rule {
  std::string_view from;
  std::string_view to;
};

constexpr Rule kSignRules[] = {{"\xC2\xAE"sv, "\xAE"sv}, {"\xC2\xB7"sv, "\xB7"sv}};
constexpr Rule kBrokenEacuteRules[] = {{"\xC3\xC2\xA9"sv, "\xE9"sv}};
constexpr Rule kMarkRules[] = {{"\xE2\x80\x8E"sv, ""sv}};
constexpr Rule kDashRules[] = {{"\xE2\x80\x90"sv, "-"sv}, {"\xE2\x80\x91"sv, "-"sv}, {"\xE2\x80\x92"sv, "-"sv},
                               {"\xE2\x80\x93"sv, "-"sv}, {"\xE2\x80\x94"sv, "-"sv}, {"\xE2\x80\x95"sv, "-"sv}};
constexpr Rule kCurrencyRules[] = {{"\xE2\x82\xA4"sv, "\xA3"sv}, {"\xE2\x82\xAC"sv, "\x80"sv}};

struct RuleStage {
  const Rule* rules;
  size_t count;
};

// Stage numbers in the order of the sequence.
enum : int { kSigns, kLatin, kBrokenEacute, kMark, kDashes, kCurrency, kOut };

constexpr std::array<RuleStage, kOut> kRuleStages = {{
    {kSignRules, std::size(kSignRules)},
    {nullptr, 0},  // the Latin-1 letters need the order of their 128 steps, see LatinPush
    {kBrokenEacuteRules, std::size(kBrokenEacuteRules)},
    {kMarkRules, std::size(kMarkRules)},
    {kDashRules, std::size(kDashRules)},
    {kCurrencyRules, std::size(kCurrencyRules)},
}};

// The Latin-1 letters are 128 steps: for k = 0x80 .. 0xBF the pair "C3 k"
// and then "%C3%<k in hex>" become the byte k + 0x40. A letter made by one
// step can be "C3" again (U+00C3), and that byte pairs with a following
// continuation byte only in a later step. So every C3 carries the number of
// the step that made it (0 for one that was there from the start).
constexpr int PairStep(int k) { return 2 * (k - 0x80) + 1; }
constexpr int PercentStep(int k) { return 2 * (k - 0x80) + 2; }

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// Whether p (1 to 6 characters) starts "%C3%" followed by an upper-case
// hexadecimal number from 80 to BF.
bool PercentPrefix(const std::string& p) {
  static constexpr std::string_view kLead = "%C3%";
  for (size_t i = 0; i < p.size(); ++i) {
    char c = p[i];
    if (i < 4) {
      if (c != kLead[i]) return false;
    } else if (i == 4) {
      if (c != '8' && c != '9' && c != 'A' && c != 'B') return false;
    } else if (i == 5) {
      if (HexDigit(c) < 0) return false;
    } else {
      return false;
    }
  }
  return true;
}

class Converter {
 public:
  explicit Converter(std::string& out) : out_(out) {}

  void Push(unsigned char b) { Send(kSigns, b); }

  void Finish() {
    FinishRules(kSigns);
    FinishLatin();
    for (int s = kBrokenEacute; s < kOut; ++s) FinishRules(s);
  }

 private:
  void Send(int stage, unsigned char b) {
    if (stage == kOut)
      out_.push_back(static_cast<char>(b));
    else if (stage == kLatin)
      LatinPush(b);
    else
      RulePush(stage, b);
  }

  // Leftmost matching without rescanning: bytes wait while they can still
  // start a match; the replacement goes on to the next stage.
  void RulePush(int stage, unsigned char b) {
    std::string& pending = pending_[stage];
    const RuleStage& rs = kRuleStages[stage];
    if (pending.empty()) {  // most bytes start no match at all
      bool starts = false;
      for (size_t i = 0; i < rs.count && !starts; ++i) starts = static_cast<unsigned char>(rs.rules[i].from[0]) == b;
      if (!starts) {
        Send(stage + 1, b);
        return;
      }
    }
    pending.push_back(static_cast<char>(b));
    bool prefix = false;
    for (size_t i = 0; i < rs.count; ++i) {
      const Rule& r = rs.rules[i];
      if (r.from == pending) {
        pending.clear();
        for (char c : r.to) Send(stage + 1, static_cast<unsigned char>(c));
        return;
      }
      if (r.from.starts_with(pending)) prefix = true;
    }
    if (prefix) return;
    if (pending.size() == 1) {
      pending.clear();
      Send(stage + 1, b);
      return;
    }
    // No match can start at the first waiting byte; the others may still
    // start one.
    std::string rest = pending.substr(1);
    unsigned char first = static_cast<unsigned char>(pending[0]);
    pending.clear();
    Send(stage + 1, first);
    for (char c : rest) RulePush(stage, static_cast<unsigned char>(c));
  }

  void FinishRules(int stage) {
    std::string& pending = pending_[stage];
    while (!pending.empty()) {
      std::string rest = pending.substr(1);
      unsigned char first = static_cast<unsigned char>(pending[0]);
      pending.clear();
      Send(stage + 1, first);
      for (char c : rest) RulePush(stage, static_cast<unsigned char>(c));
    }
  }

  void LatinPush(unsigned char b) {
    if (!percent_.empty()) {
      percent_.push_back(static_cast<char>(b));
      if (PercentPrefix(percent_)) {
        if (percent_.size() == 6) {
          int k = HexDigit(percent_[4]) * 16 + HexDigit(percent_[5]);
          percent_.clear();
          LatinEmit(static_cast<unsigned char>(k + 0x40), PercentStep(k));
        }
        return;
      }
      ReleasePercent();
      return;
    }
    if (b == '%') {
      percent_.push_back('%');  // empty here
      return;
    }
    LatinEmit(b, 0);
  }

  // The '%' stands for itself; what followed it is read again.
  void ReleasePercent() {
    std::string rest = percent_.substr(1);
    percent_.clear();
    LatinEmit('%', 0);
    for (char c : rest) LatinPush(static_cast<unsigned char>(c));
  }

  // b is the next byte of the letter stage's output, made by step `step`.
  void LatinEmit(unsigned char b, int step) {
    if (haveC3_) {
      haveC3_ = false;
      // Only bytes 80..BF complete a pair, and those are never made by this
      // stage, so b was there before the first letter step.
      if (b >= 0x80 && b <= 0xBF && c3Step_ < PairStep(b)) {
        LatinEmit(static_cast<unsigned char>(b + 0x40), PairStep(b));
        return;
      }
      Send(kLatin + 1, 0xC3);
    }
    if (b == 0xC3) {
      haveC3_ = true;
      c3Step_ = step;
      return;
    }
    Send(kLatin + 1, b);
  }

  void FinishLatin() {
    while (!percent_.empty()) ReleasePercent();
    if (haveC3_) {
      haveC3_ = false;
      Send(kLatin + 1, 0xC3);
    }
  }

  std::string& out_;
  std::array<std::string, kOut> pending_;
  std::string percent_;
  bool haveC3_ = false;
  int c3Step_ = 0;
};

// Bytes that no step reads, makes or removes pass unchanged and split the
// text into parts that convert independently.
bool Inert(unsigned char b) { return b < 0x80 && b != '%' && b != 'C' && b != '3' && HexDigit(static_cast<char>(b)) < 0; }

}  // namespace

std::string FromUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  size_t i = 0;
  // Plain text needs none of the machinery.
  while (i < text.size() && Inert(static_cast<unsigned char>(text[i]))) ++i;
  if (i == text.size()) return std::string(text);
  out.append(text.substr(0, i));
  Converter conv(out);
  for (; i < text.size(); ++i) conv.Push(static_cast<unsigned char>(text[i]));
  conv.Finish();
  return out;
}

namespace {

// Latin Extended-A (U+0100 to U+017F) without its marks. The letters of the
// block that Windows-1252 holds (OE, S and Z caron, Y diaeresis) never get
// here; IJ and ij are two letters and are handled apart.
constexpr std::string_view kPlainLatinA =
    "AaAaAaCcCcCcCcDd"
    "DdEeEeEeEeEeGgGg"
    "GgGgHhHhIiIiIiIi"
    "Ii??JjKkkLlLlLlL"
    "lLlNnNnNnnNnOoOo"
    "OoOoRrRrRrSsSsSs"
    "SsTtTtTtUuUuUuUu"
    "UuUuWwYyYZzZzZzs";

// The closest plain text for a character Windows-1252 cannot hold: a letter
// without its accent, nothing for a combining accent (its letter is already
// there), "?" when there is no such thing.
std::string_view PlainForm(char32_t cp) {
  if (cp == 0x132) return "IJ";
  if (cp == 0x133) return "ij";
  if (cp >= 0x100 && cp <= 0x17F) return kPlainLatinA.substr(cp - 0x100, 1);
  switch (cp) {
    case 0x218: return "S";  // Romanian comma below
    case 0x219: return "s";
    case 0x21A: return "T";
    case 0x21B: return "t";
    case 0x2032: return "'";  // prime, typed for an apostrophe
    case 0x2212: return "-";  // minus sign
    case 0x2009:              // thin and narrow spaces
    case 0x202F: return " ";
    default: break;
  }
  if (cp >= 0x300 && cp <= 0x36F) return "";
  return "?";
}

}  // namespace

std::string Utf8LeftoversToCp1252(std::string_view text, bool* approximated) {
  std::string out;
  out.reserve(text.size());
  bool changed = false;
  for (size_t i = 0; i < text.size();) {
    char32_t cp = 0;
    size_t len = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : DecodeUtf8(text, i, cp);
    if (len <= 1) {  // plain ASCII, or a Windows-1252 byte that starts no UTF-8 character
      out += text[i++];
      continue;
    }
    char c = UnicodeToCp1252(cp);
    if (c != '?') {
      out += c;
    } else {
      out += PlainForm(cp);
      changed = true;
    }
    i += len;
  }
  if (approximated) *approximated = changed;
  return out;
}

std::string ImportText(std::string_view text, bool* approximated) {
  return Utf8LeftoversToCp1252(FromUtf8(text), approximated);
}

}  // namespace velgram
