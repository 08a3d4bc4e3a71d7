// Class identifiers and error codes: indexes into the reporter's tables.
#pragma once

#include <cstdint>

enum ClassId : uint32_t {
  kClassObject = 0,
  kClassBitmap = 1,
  kClassDirector = 2,
  kClassFile = 3,
  kClassImage = 4,
  kClassImageBitmap = 5,
  kClassImageBMP = 6,
  kClassImageFlic = 7,
  kClassImageAVI = 8,
  kClassRenderer = 9,
  kClassRenderSolid = 10,
  kClassRenderBMP = 11,
  kClassRenderFlic = 12,
  kClassSprite = 13,
  kClassSpriteImage = 14,
  kClassAudioWAV = 15,
  kClassScript = 16,
  kClassImagePCX = 17,
  kClassImageDCX = 18,
  kClassSpriteGroup = 19,
  kClassCount = 20,
};

enum ErrorCode : uint32_t {
  kErrNone = 0,
  kErrOutOfMemory = 1,
  kErrMemLock = 2,
  kErrNoWinG = 3,
  kErrNoDC = 4,
  kErrFileOpen = 5,
  kErrFileRead = 6,
  kErrFileWrite = 7,
  kErrFileSeek = 8,
  kErrFileType = 9,
  kErrFileNotClosed = 10,
  kErrBitmap = 11,
  kErrBadFrameHeader = 12,
  kErrBadChunkType = 13,
  kErrNotImplemented = 14,
  kErrNotTested = 15,
  kErrBadRectangle = 16,
  kErrStillInUse = 17,
  kErrNoLabel = 18,
  kErrMissingParameter = 19,
  kErrOutOfRange = 20,
  kErrBadProgInst = 21,
  kErrorCount = 22,
};

// The texts the reporter shows when no string resource replaces them.
const char* BuiltInClassName(uint32_t classId);
const char* BuiltInErrorText(uint32_t errorCode);
