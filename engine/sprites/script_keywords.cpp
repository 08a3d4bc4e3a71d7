#include "sprites/script_keywords.h"

#include <cstdint>

const char* const kScriptKeywords[kOpCount + 1] = {
    "NOP",   "LABEL", ":",      "FRAME",   "ADVANCEFRAME", "DELAY",     "SPEED", "PAUSE",    "POSX",
    "POSY",  "POSZ",  "MOVEX",  "MOVEY",   "MOVEZ",        "HIDE",      "SHOW",  "WAVEFILE", "SOUND",
    "SET",   "CLEAR", "IF",     "IFNOT",   "IFFRAME",      "IFHIT",     "IFHITID", "IFHITMASK", "HITID",
    "HITMASK", "HITDEPTH", "GOTO", "LOOP", "ENDCYCLE",     "END",       "",
};

int32_t ScriptNumber(const char* text, const char** end) {
  const char* p = text;
  while (*p == ' ' || *p == '\t') ++p;
  bool negative = false;
  if (*p == '-' || *p == '+') negative = *p++ == '-';
  int64_t magnitude = 0;
  const int64_t limit = negative ? -int64_t{INT32_MIN} : int64_t{INT32_MAX};
  while (*p >= '0' && *p <= '9') {
    magnitude = magnitude * 10 + (*p++ - '0');
    if (magnitude > limit) magnitude = limit;
  }
  if (end) *end = p;
  return static_cast<int32_t>(negative ? -magnitude : magnitude);
}
