#include "ids.h"

namespace {

const char* const kClassNames[kClassCount] = {
    "mObject",      "mBitmap",      "mDirector",   "mFile",        "mImage",
    "mImageBitmap", "mImageBMP",    "mImageFlic",  "mImageAVI",    "mRenderer",
    "mRenderSolid", "mRenderBMP",   "mRenderFlic", "mSprite",      "mSpriteImage",
    "mAudioWAV",    "mScript",      "mImagePCX",   "mImageDCX",    "mSpriteGroup",
};

const char* const kErrorTexts[kErrorCount] = {
    "",
    "Out of memory",
    "Mem lock error",
    "No WinG support",
    "Can't get a DC",
    "File open error",
    "File read error",
    "File write error",
    "File seek error",
    "File type error",
    "File not closed",
    "Bitmap error",
    "Bad frame header",
    "Bad chunk type",
    "Not implemented",
    "Not tested",
    "Bad rectangle",
    "Still in use",
    "Label doesn't exist",
    "Missing parameter",
    "Value out of range",
    "Bad ProgInst Value",
};

}  // namespace

const char* BuiltInClassName(uint32_t classId) {
  return classId < kClassCount ? kClassNames[classId] : "Unknown Object";
}

const char* BuiltInErrorText(uint32_t errorCode) {
  return errorCode < kErrorCount ? kErrorTexts[errorCode] : "Unknown Error";
}
