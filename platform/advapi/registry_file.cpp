#include "advapi/registry_file.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace plat {
namespace {

const char kHeaderComment[] = "; Orvanel Saver settings (HKEY_CURRENT_USER). One name=type:value per line.";

char Upper(char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 32) : c; }

void AppendEscaped(std::string* out, const char* bytes, size_t length, const char* special, bool guardFirst) {
  for (size_t i = 0; i < length; ++i) {
    auto c = static_cast<unsigned char>(bytes[i]);
    bool escape = c < 0x20 || c > 0x7E || c == '%' || (c && std::strchr(special, c));
    if (i == 0 && guardFirst && (c == '@' || c == ';' || c == '#' || c == '[' || c == ' ')) escape = true;
    if (escape) {
      char hex[4];
      std::snprintf(hex, sizeof hex, "%%%02X", c);
      *out += hex;
    } else {
      *out += static_cast<char>(c);
    }
  }
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

bool Unescape(const std::string& text, std::string* out) {
  out->clear();
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      *out += text[i];
      continue;
    }
    int high = i + 1 < text.size() ? HexDigit(text[i + 1]) : -1;
    int low = i + 2 < text.size() ? HexDigit(text[i + 2]) : -1;
    if (high < 0 || low < 0) return false;
    *out += static_cast<char>(high * 16 + low);
    i += 2;
  }
  return true;
}

bool StartsWith(const std::string& text, const char* prefix, std::string* rest) {
  size_t length = std::strlen(prefix);
  if (text.compare(0, length, prefix) != 0) return false;
  *rest = text.substr(length);
  return true;
}

bool ParseUnsigned(const std::string& text, unsigned long long limit, unsigned long long* out) {
  if (text.empty() || text.size() > 20) return false;
  int base = 10;
  size_t at = 0;
  if (text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) base = 16, at = 2;
  unsigned long long value = 0;
  for (; at < text.size(); ++at) {
    int digit = HexDigit(text[at]);
    if (digit < 0 || digit >= base) return false;
    value = value * base + digit;
    if (value > limit) return false;
  }
  *out = value;
  return true;
}

bool ParseHexBytes(const std::string& text, std::vector<uint8_t>* out) {
  out->clear();
  if (text.empty()) return true;
  size_t at = 0;
  for (;;) {
    if (at + 2 > text.size()) return false;
    int high = HexDigit(text[at]), low = HexDigit(text[at + 1]);
    if (high < 0 || low < 0) return false;
    out->push_back(static_cast<uint8_t>(high * 16 + low));
    at += 2;
    if (at == text.size()) return true;
    if (text[at] != ',') return false;
    ++at;
  }
}

// Text types are written as text when they hold exactly one terminator, at the end.
bool IsPlainText(const std::vector<uint8_t>& data) {
  if (data.empty() || data.back() != 0) return false;
  return std::memchr(data.data(), 0, data.size() - 1) == nullptr;
}

bool ParseValue(const std::string& line, RegValue* value) {
  size_t equals = line.find('=');
  if (equals == std::string::npos) return false;
  if (!Unescape(line.substr(0, equals), &value->name)) return false;
  std::string rest = line.substr(equals + 1), payload;
  value->data.clear();
  if (StartsWith(rest, "dword:", &payload)) {
    unsigned long long number = 0;
    if (!ParseUnsigned(payload, 0xFFFFFFFFull, &number)) return false;
    value->type = REG_DWORD;
    for (int i = 0; i < 4; ++i) value->data.push_back(static_cast<uint8_t>(number >> (8 * i)));
    return true;
  }
  bool text = StartsWith(rest, "sz:", &payload);
  bool expand = !text && StartsWith(rest, "expand_sz:", &payload);
  if (text || expand) {
    std::string bytes;
    if (!Unescape(payload, &bytes)) return false;
    value->type = text ? REG_SZ : REG_EXPAND_SZ;
    value->data.assign(bytes.begin(), bytes.end());
    value->data.push_back(0);
    return true;
  }
  if (StartsWith(rest, "hex:", &payload)) {
    value->type = REG_BINARY;
    return ParseHexBytes(payload, &value->data);
  }
  if (StartsWith(rest, "hex(", &payload)) {
    size_t close = payload.find("):");
    unsigned long long type = 0;
    if (close == std::string::npos || !ParseUnsigned(payload.substr(0, close), 0xFFFFFFFFull, &type))
      return false;
    value->type = static_cast<DWORD>(type);
    return ParseHexBytes(payload.substr(close + 2), &value->data);
  }
  return false;
}

void WriteValue(const RegValue& value, std::string* out) {
  AppendEscaped(out, value.name.data(), value.name.size(), "=", true);
  *out += '=';
  if (value.type == REG_DWORD && value.data.size() == 4) {
    uint32_t number =
        value.data[0] | value.data[1] << 8 | value.data[2] << 16 | uint32_t{value.data[3]} << 24;
    *out += "dword:" + std::to_string(number);
  } else if ((value.type == REG_SZ || value.type == REG_EXPAND_SZ) && IsPlainText(value.data)) {
    *out += value.type == REG_SZ ? "sz:" : "expand_sz:";
    AppendEscaped(out, reinterpret_cast<const char*>(value.data.data()), value.data.size() - 1, "", false);
  } else {
    *out += value.type == REG_BINARY ? "hex:" : "hex(" + std::to_string(value.type) + "):";
    for (size_t i = 0; i < value.data.size(); ++i) {
      char hex[4];
      std::snprintf(hex, sizeof hex, i ? ",%02x" : "%02x", value.data[i]);
      *out += hex;
    }
  }
  *out += '\n';
}

}  // namespace

bool SameName(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (Upper(a[i]) != Upper(b[i])) return false;
  return true;
}

std::string NormaliseKeyPath(const std::string& path) {
  std::string result, component;
  for (size_t i = 0; i <= path.size(); ++i) {
    if (i == path.size() || path[i] == '\\') {
      if (!component.empty()) result += (result.empty() ? "" : "\\") + component;
      component.clear();
    } else {
      component += path[i];
    }
  }
  return result;
}

RegDocument RegDocument::Parse(const std::string& text) {
  RegDocument document;
  document.sections_.push_back(RegSection{RegSection::kPreamble, "", "", {}});
  RegSection* current = &document.sections_.back();
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    const std::string original = text.substr(start, end - start);
    start = end + 1;
    std::string line = original;  // as read, less a Windows line end
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line == kHeaderComment) continue;

    std::string unescaped;
    if (line.front() == '[' && line.back() == ']' && line.size() >= 2 &&
        Unescape(line.substr(1, line.size() - 2), &unescaped)) {
      std::string path = NormaliseKeyPath(unescaped);
      current = document.FindKey(path);
      if (!current) {
        document.sections_.push_back(RegSection{RegSection::kKey, path, "", {}});
        current = &document.sections_.back();
      }
      continue;
    }
    if (line.front() == '[') {
      // A header we cannot read: what follows belongs to no key we know.
      document.sections_.push_back(RegSection{RegSection::kDamaged, original, "", {}});
      current = &document.sections_.back();
      continue;
    }
    RegLine entry;
    std::string className;
    if (current->kind == RegSection::kKey && StartsWith(line, "@class=", &className) &&
        Unescape(className, &unescaped)) {
      current->className = unescaped;
      continue;
    }
    if (current->kind == RegSection::kKey && line.front() != ';' && line.front() != '#' &&
        ParseValue(line, &entry.value)) {
      entry.isValue = true;
    } else {
      entry.raw = original;
    }
    current->lines.push_back(std::move(entry));
  }
  return document;
}

std::string RegDocument::Serialize() const {
  std::string out = std::string(kHeaderComment) + "\n";
  for (const RegSection& section : sections_) {
    if (section.kind == RegSection::kKey) {
      out += "\n[";
      AppendEscaped(&out, section.path.data(), section.path.size(), "]", false);
      out += "]\n";
      if (!section.className.empty()) {
        out += "@class=";
        AppendEscaped(&out, section.className.data(), section.className.size(), "", false);
        out += '\n';
      }
    } else if (section.kind == RegSection::kDamaged) {
      out += "\n" + section.path + "\n";
    }
    for (const RegLine& line : section.lines) {
      if (line.isValue)
        WriteValue(line.value, &out);
      else
        out += line.raw + "\n";
    }
  }
  return out;
}

bool RegDocument::KeyExists(const std::string& path) const {
  if (path.empty()) return true;
  for (const RegSection& section : sections_) {
    if (section.kind != RegSection::kKey) continue;
    if (SameName(section.path, path)) return true;
    if (section.path.size() > path.size() && section.path[path.size()] == '\\' &&
        SameName(section.path.substr(0, path.size()), path))
      return true;
  }
  return false;
}

RegSection* RegDocument::FindKey(const std::string& path) {
  for (RegSection& section : sections_)
    if (section.kind == RegSection::kKey && SameName(section.path, path)) return &section;
  return nullptr;
}

const RegSection* RegDocument::FindKey(const std::string& path) const {
  return const_cast<RegDocument*>(this)->FindKey(path);
}

RegSection& RegDocument::CreateKey(const std::string& path, const std::string& className) {
  if (RegSection* existing = FindKey(path)) return *existing;
  sections_.push_back(RegSection{RegSection::kKey, path, className, {}});
  return sections_.back();
}

const RegValue* RegDocument::FindValue(const std::string& path, const std::string& name) const {
  const RegSection* section = FindKey(path);
  if (!section) return nullptr;
  const RegValue* found = nullptr;
  for (const RegLine& line : section->lines)
    if (line.isValue && SameName(line.value.name, name)) found = &line.value;  // the last one wins
  return found;
}

void RegDocument::SetValue(const std::string& path, const RegValue& value) {
  RegSection& section = CreateKey(path, "");
  bool stored = false;
  std::vector<RegLine> kept;
  for (RegLine& line : section.lines) {
    if (line.isValue && SameName(line.value.name, value.name)) {
      if (stored) continue;  // drop repeats of the same name
      line.value.type = value.type;
      line.value.data = value.data;
      stored = true;
    }
    kept.push_back(std::move(line));
  }
  section.lines = std::move(kept);
  if (!stored) {
    RegLine line;
    line.isValue = true;
    line.value = value;
    section.lines.push_back(std::move(line));
  }
}

bool RegDocument::DeleteValue(const std::string& path, const std::string& name) {
  RegSection* section = FindKey(path);
  if (!section) return false;
  size_t before = section->lines.size();
  std::erase_if(section->lines,
                [&](const RegLine& line) { return line.isValue && SameName(line.value.name, name); });
  return section->lines.size() != before;
}

}  // namespace plat
