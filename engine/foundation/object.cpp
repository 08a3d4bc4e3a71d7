#include "object.h"

#include <cstring>

HINSTANCE g_resourceModule = nullptr;

namespace {

// Bounded copy that always terminates (at most limit - 1 characters).
void CopyBounded(char* dest, const char* src, size_t limit) {
  if (limit == 0) return;
  size_t n = std::strlen(src);
  if (n > limit - 1) n = limit - 1;
  std::memcpy(dest, src, n);
  dest[n] = '\0';
}

UINT IconForSeverity(int severity) {
  switch (severity) {
    case 0:
      return MB_ICONHAND;
    case 1:
      return MB_ICONQUESTION;
    case 2:
      return MB_ICONEXCLAMATION;
    default:
      return MB_ICONASTERISK;
  }
}

}  // namespace

void BuildReport(int severity, uint32_t classId, uint32_t errorCode, const char* detail, ReportText* out) {
  out->caption[0] = '\0';
  out->text[0] = '\0';
  if (g_resourceModule) LoadStringA(g_resourceModule, kReportStringBase + classId, out->caption, 40);
  if (out->caption[0] == '\0') CopyBounded(out->caption, BuiltInClassName(classId), sizeof out->caption);

  if (g_resourceModule) LoadStringA(g_resourceModule, kReportStringBase + errorCode, out->text, 40);
  if (out->text[0] == '\0') CopyBounded(out->text, BuiltInErrorText(errorCode), 40);

  if (detail) {
    size_t len = std::strlen(out->text);
    if (len > 0) out->text[len++] = ':';
    // At most 40 characters of the detail; the buffer holds 39 + 1 + 40 + 1.
    CopyBounded(out->text + len, detail, 41);
  }
  out->icon = IconForSeverity(severity);
}

mObject::~mObject() {
  if (refCount != 0) {
    // The derived parts are gone by now, so this is the base reporter.
    mObject::ReportWarning(kClassObject, kErrStillInUse, nullptr);
  }
}

int mObject::ReportError(uint32_t classId, uint32_t errorCode, const char* detail) {
  return ShowReport(0, classId, errorCode, detail);
}

int mObject::ReportWarning(uint32_t classId, uint32_t errorCode, const char* detail) {
  return ShowReport(2, classId, errorCode, detail);
}

int mObject::ShowReport(int severity, uint32_t classId, uint32_t errorCode, const char* detail) {
  ReportText report;
  BuildReport(severity, classId, errorCode, detail, &report);
  return MessageBoxA(GetActiveWindow(), report.text, report.caption, MB_OK | report.icon);
}

bool Release(mObject* obj) {
  if (!obj) return false;
  if (--obj->refCount == 0) {
    delete obj;
    return true;
  }
  return false;
}
