// The settings file as the registry reads it: any text parses, is written
// back the same on a second round, and answers look-ups and changes.
#include <cstddef>
#include <cstdint>
#include <string>

#include "../platform/advapi/registry_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  plat::RegDocument document = plat::RegDocument::Parse(text);
  const std::string once = document.Serialize();
  if (plat::RegDocument::Parse(once).Serialize() != once) __builtin_trap();

  for (const plat::RegSection& section : document.Sections()) {
    if (section.kind != plat::RegSection::kKey) continue;
    if (!document.KeyExists(section.path)) __builtin_trap();
    for (const plat::RegLine& line : section.lines)
      if (line.isValue && !document.FindValue(section.path, line.value.name)) __builtin_trap();
  }
  // The settings the saver writes, into whatever the file held.
  const std::string key = "Software\\Quillmoor\\Orvanel_IV";
  plat::RegValue speed{"speed", 4, {60, 0, 0, 0}};
  document.SetValue(key, speed);
  const plat::RegDocument reread = plat::RegDocument::Parse(document.Serialize());
  const plat::RegValue* stored = reread.FindValue(key, "speed");
  if (!stored || stored->data != speed.data) __builtin_trap();
  document.DeleteValue(key, "speed");
  return 0;
}
