#include "run_settings.h"

#include <cstring>

#include "settings_store.h"

namespace {

struct RunSetting {
  const char* option;     // without its dashes
  const char* valueName;  // the stored value it stands in for
  bool given;
  LONG value;
};

RunSetting g_runSettings[] = {
    {"speed", kSpeedValue, false, 0},
    {"count1", kSprite1CountValue, false, 0},
    {"count2", kSprite2CountValue, false, 0},
};

// Far outside every range, so that a huge number clamps like any other
// out-of-range value instead of overflowing.
constexpr LONG kNumberLimit = 1000000000;

// An optional sign and decimal digits, nothing else.
bool ParseWholeNumber(const std::string& text, LONG* value) {
  size_t i = 0;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  if (i == text.size()) return false;
  LONG number = 0;
  for (; i < text.size(); ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    number = number >= kNumberLimit / 10 ? kNumberLimit : number * 10 + (text[i] - '0');
  }
  *value = negative ? -number : number;
  return true;
}

// The next blank-separated word of text at *p; a word that opens with a
// double quote runs to the closing quote.
std::string NextWord(LPCSTR* p) {
  LPCSTR s = *p;
  while (*s && static_cast<unsigned char>(*s) <= ' ') ++s;
  LPCSTR start = s;
  bool quoted = false;
  for (; *s && (quoted || static_cast<unsigned char>(*s) > ' '); ++s)
    if (*s == '"') quoted = !quoted;
  *p = s;
  return std::string(start, s);
}

// "-name" or "--name", with "=value" after it when value is not null.
RunSetting* FindOption(const std::string& word, std::string* value, bool* hasValue) {
  size_t dashes = word.compare(0, 2, "--") == 0 ? 2 : word.compare(0, 1, "-") == 0 ? 1 : 0;
  if (dashes == 0) return nullptr;
  std::string name = word.substr(dashes);
  size_t equals = name.find('=');
  *hasValue = equals != std::string::npos;
  if (*hasValue) {
    *value = name.substr(equals + 1);
    name.resize(equals);
  }
  for (RunSetting& setting : g_runSettings)
    if (name == setting.option) return &setting;
  return nullptr;
}

bool IsSettingsOption(const std::string& word) { return word == "--settings" || word == "-settings"; }

}  // namespace

bool TakeRunSettings(LPCSTR commandLine, std::string* rest) {
  rest->clear();
  LPCSTR p = commandLine;
  for (std::string word = NextWord(&p); !word.empty(); word = NextWord(&p)) {
    std::string value;
    bool hasValue = false;
    RunSetting* setting = FindOption(word, &value, &hasValue);
    if (setting) {
      if (!hasValue) value = NextWord(&p);
      if (!ParseWholeNumber(value, &setting->value)) return false;
      setting->given = true;
      continue;
    }
    if (!rest->empty()) *rest += ' ';
    *rest += IsSettingsOption(word) ? "/c" : word;
  }
  return true;
}

LONG ReadRunSetting(LPCSTR valueName, LONG defaultValue) {
  for (const RunSetting& setting : g_runSettings)
    if (setting.given && std::strcmp(setting.valueName, valueName) == 0) return setting.value;
  return ReadSetting(valueName, defaultValue);
}

void ClearRunSettings() {
  for (RunSetting& setting : g_runSettings) setting.given = false;
}
