// mObject: the virtual root of every engine class, with the holder count
// and the error reporter.
#pragma once

#include <windows.h>

#include <cstdint>

#include "ids.h"

// The module whose string table names classes and errors (and holds the
// optional "default" palette). None until the application makes a stage.
extern HINSTANCE g_resourceModule;
// String-table id of class name n and of error text n: base + n.
constexpr UINT kReportStringBase = 4400;

class mObject {
 public:
  mObject() = default;
  mObject(const mObject&) = delete;
  mObject& operator=(const mObject&) = delete;
  virtual ~mObject();

  virtual int ReportError(uint32_t classId, uint32_t errorCode, const char* detail);
  virtual int ReportWarning(uint32_t classId, uint32_t errorCode, const char* detail);
  virtual int ShowReport(int severity, uint32_t classId, uint32_t errorCode, const char* detail);

  // Holders, not pointers: see AddRef/Release below.
  int32_t refCount = 0;
};

// Takes one hold on obj (null is ignored).
inline void AddRef(mObject* obj) {
  if (obj) ++obj->refCount;
}

// Lets go of one hold; the holder that brings the count to 0 deletes the
// object. Returns true when the object was deleted.
bool Release(mObject* obj);

// The report as shown: caption and text, built exactly as the message box
// gets them. Exposed so the texts can be checked without a box.
struct ReportText {
  char caption[80];
  char text[84];
  UINT icon;
};
void BuildReport(int severity, uint32_t classId, uint32_t errorCode, const char* detail, ReportText* out);
