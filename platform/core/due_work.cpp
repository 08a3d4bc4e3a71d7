#include "core/due_work.h"

namespace plat {
namespace {

constexpr int kMaxWork = 4;
DueWork g_work[kMaxWork];
int g_count = 0;

}  // namespace

void RegisterDueWork(const DueWork& work) {
  for (int i = 0; i < g_count; ++i)
    if (g_work[i].run == work.run) return;
  if (g_count < kMaxWork) g_work[g_count++] = work;
}

void RunDueWork() {
  for (int i = 0; i < g_count; ++i) g_work[i].run();
}

bool NextDueTime(uint32_t* at) {
  bool any = false;
  for (int i = 0; i < g_count; ++i) {
    uint32_t next = 0;
    if (!g_work[i].nextDue(&next)) continue;
    if (!any || static_cast<int32_t>(next - *at) < 0) *at = next;
    any = true;
  }
  return any;
}

}  // namespace plat
