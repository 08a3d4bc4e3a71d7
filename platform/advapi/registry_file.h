// The settings file behind the registry: a text file of key sections
//
//   [Software\Quillmoor\Orvanel_IV]
//   @class=WindowsScreenSaverClass
//   speed=dword:60
//   title=sz:Orvanel%0AIV
//   blob=hex:01,02,ff
//   other=hex(7):61,00,00
//
// Names, key paths and texts escape control characters, bytes above 0x7E,
// '%' and the characters that would end their field as %XX. A line that
// does not parse is kept verbatim where it stood and written back unchanged,
// so a damaged file loses nothing that was readable, and nothing that was not.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>
#include <vector>

namespace plat {

struct RegValue {
  std::string name;  // "" is the key's default value
  DWORD type = REG_NONE;
  std::vector<uint8_t> data;
};

struct RegLine {
  bool isValue = false;
  RegValue value;   // when isValue
  std::string raw;  // otherwise: the line as it was read
};

struct RegSection {
  enum Kind { kPreamble, kKey, kDamaged };
  Kind kind = kKey;
  std::string path;       // kKey: components joined by '\'; kDamaged: the header line
  std::string className;  // kKey
  std::vector<RegLine> lines;
};

class RegDocument {
 public:
  static RegDocument Parse(const std::string& text);
  std::string Serialize() const;

  // Key paths compare without regard to case; a key exists when it has a
  // section or a descendant has one. The root "" always exists.
  bool KeyExists(const std::string& path) const;
  RegSection* FindKey(const std::string& path);
  const RegSection* FindKey(const std::string& path) const;
  RegSection& CreateKey(const std::string& path, const std::string& className);

  const RegValue* FindValue(const std::string& path, const std::string& name) const;
  void SetValue(const std::string& path, const RegValue& value);
  bool DeleteValue(const std::string& path, const std::string& name);

  const std::vector<RegSection>& Sections() const { return sections_; }

 private:
  std::vector<RegSection> sections_;
};

// "a\\B\\\\c\\" -> "a\B\c": empty components dropped.
std::string NormaliseKeyPath(const std::string& path);
bool SameName(const std::string& a, const std::string& b);

}  // namespace plat
