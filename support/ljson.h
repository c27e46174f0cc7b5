#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>

namespace velgram {

// A parsed JSON text with typed look-ups by a "|"-separated path such as
// "tickets|3|subject". Strings are held wide; the 8-bit side is Windows-1252.
class Ljson {
 public:
  struct Node {
    enum Type { Null = 0, String = 1, Boolean = 2, Number = 3, Array = 4, Object = 5 };
    Type type = Null;
    std::u32string str;
    bool boolean = false;
    double number = 0;
    std::vector<std::unique_ptr<Node>> items;
    std::map<std::u32string, std::unique_ptr<Node>> members;
  };

  explicit Ljson(const std::string& text);
  bool IsValid() const { return root_ != nullptr; }

  bool GetInt(const std::string& path, int& out) const;
  bool GetString(const std::string& path, std::string& out) const;
  bool GetCount(const std::string& path, int& out) const;
  bool GetBool(const std::string& path, bool& out) const;  // true or false only

 private:
  std::unique_ptr<Node> root_;
};

}  // namespace velgram
