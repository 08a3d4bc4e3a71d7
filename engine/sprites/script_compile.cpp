// The script compiler: keyword statements from an open file into the
// sprite's program, then jump labels resolved into instruction indexes.
#include <cstdio>
#include <cstring>

#include "media/audio_wav.h"
#include "media/file.h"
#include "sprites/script.h"
#include "sprites/script_keywords.h"
#include "sprites/sprite.h"

namespace {

constexpr int kArgumentLimit = 80;

// The argument the keyword reader left at the read pointer, copied out with
// its length: at most 80 characters, never past the data.
int TakeArgument(const mFile& file, char (&out)[kArgumentLimit + 1]) {
  const mFile::State* s = file.GetFileState();
  const uint8_t* p = s->readPtr;
  int length = 0;
  while (length < kArgumentLimit && p + length < s->dataEnd && p[length] != 0) {
    out[length] = static_cast<char>(p[length]);
    ++length;
  }
  out[length] = 0;
  return length;
}

}  // namespace

int mSprite::LoadScript(mFile* file) {
  if (!file || !file->GetFileState()->isOpen) return 0;
  if (!program) {
    program = new mScript;
    AddRef(program);
  }
  if (!program->instructions) {
    ReportError(kClassScript, kErrOutOfMemory, nullptr);
    Release(program);
    program = nullptr;
    return 0;
  }

  // Only the statements of this text have their labels resolved: a text
  // added to a program holds indexes, not label numbers, in its old jumps.
  const int32_t firstNew = program->count;
  // The label each new jump asks for, as written (its target field keeps
  // only 16 bits of it).
  int32_t wanted[mScript::kCapacity] = {};
  bool dropped = false;

  char argument[kArgumentLimit + 1];
  for (;;) {
    int keyword = file->ReadKeyword(kScriptKeywords);
    if (keyword < 0 || keyword == kOpEnd) break;
    const int length = TakeArgument(*file, argument);
    const char* name = kScriptKeywords[keyword];

    ProgInst instruction = {static_cast<uint16_t>(keyword), 0, 0};
    int32_t label = 0;
    switch (keyword) {
      case kOpNop:
      case kOpPause:
      case kOpHide:
      case kOpShow:
      case kOpEndCycle:
        break;
      case kOpAdvanceFrame:
        instruction.value = ScriptNumber(argument);
        if (instruction.value == 0) instruction.value = 1;
        break;
      case kOpIf:
      case kOpIfNot:
      case kOpIfFrame:
      case kOpIfHitId:
      case kOpIfHitMask: {
        const char* comma = std::strchr(argument, ',');
        if (!comma) {
          ReportError(kClassSprite, kErrMissingParameter, name);
          instruction.opcode = kOpNop;
          break;
        }
        instruction.value = ScriptNumber(argument);
        label = ScriptNumber(comma + 1);
        break;
      }
      case kOpIfHit:
      case kOpGoto:
      case kOpLoop:
        label = ScriptNumber(argument);
        if (static_cast<uint16_t>(label) == 0) {
          ReportError(kClassSprite, kErrMissingParameter, name);
          instruction.opcode = kOpNop;
          label = 0;
        }
        break;
      case kOpWaveFile: {
        // Trailing blanks are no part of a file name.
        int end = length;
        while (end > 0 && (argument[end - 1] == ' ' || argument[end - 1] == '\t')) argument[--end] = 0;
        auto* sound = new mAudioWAV;
        if (sound->Open(argument, 0)) {
          AttachSound(sound);
        } else {
          delete sound;
          ReportError(kClassSprite, kErrFileOpen, argument);
        }
        break;
      }
      default:
        instruction.value = ScriptNumber(argument);
        break;
    }
    instruction.target = static_cast<uint16_t>(label);

    if (program->Append(instruction) != 0) {
      wanted[program->count - 1 - firstNew] = label;
    } else {
      dropped = true;
    }
    if (length > 0) file->Seek(length, 1);
  }

  if (dropped) ReportError(kClassSprite, kErrOutOfRange, "Program full");

  if (program->count == 0) {
    Release(program);
    program = nullptr;
    return 0;
  }

  ProgInst* code = program->instructions;
  for (int32_t i = firstNew; i < program->count; ++i) {
    const int32_t label = wanted[i - firstNew];
    if (code[i].target == 0 && label == 0) continue;
    int32_t found = -1;
    // Label numbers outside 1..65535 cannot be told apart in a jump's 16-bit
    // target, so a jump to one is a jump to nowhere, not to a namesake.
    if (label > 0 && label <= 0xFFFF) {
      for (int32_t j = 0; j < program->count && found < 0; ++j)
        if ((code[j].opcode == kOpLabel || code[j].opcode == kOpColon) && code[j].value == label) found = j;
    }
    if (found >= 0) {
      code[i].target = static_cast<uint16_t>(found);
    } else {
      char number[16];
      std::snprintf(number, sizeof number, "%d", static_cast<int>(label));
      ReportError(kClassSprite, kErrNoLabel, number);
      code[i].opcode = kOpNop;
      code[i].target = 0;
    }
  }
  return 1;
}
