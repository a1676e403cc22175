#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace tvac::fakes {

std::string EncodeBase64(std::string_view bytes);

// A rule's text: its fields joined with "#".
std::string RuleText(std::initializer_list<std::string_view> fields);

// Writes pattern.ini text: entries numbered from 1 with Base64 names, descriptions
// and rules, and the total count (which a test may override).
class PatternBuilder {
 public:
  PatternBuilder& Entry(std::string name, std::string info);
  PatternBuilder& File(std::string rule);  // "path#size#kind", added to the last entry
  PatternBuilder& Reg(std::string rule);   // "root#subkey#name#data#kind"
  PatternBuilder& Count(std::string count);
  PatternBuilder& DbInfo(std::string info);
  std::string Build() const;

 private:
  struct Item {
    std::string name, info;
    std::vector<std::string> files, regs;
  };
  std::vector<Item> entries_;
  std::string count_;
  bool count_set_ = false;
  std::string db_info_;
};

}  // namespace tvac::fakes
