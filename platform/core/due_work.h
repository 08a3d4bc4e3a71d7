// Work of the platform that falls due on the backend's clock rather than with
// a host event (sound buffers the device has finished). The message queue
// runs it whenever it looks for messages and waits no longer than until the
// next due time.
#pragma once

#include <cstdint>

namespace plat {

struct DueWork {
  void (*run)();                   // does what is due now (posts messages)
  bool (*nextDue)(uint32_t* at);   // backend time of the next due work; false when none
};

// Registration is idempotent per run function.
void RegisterDueWork(const DueWork& work);
void RunDueWork();
bool NextDueTime(uint32_t* at);

}  // namespace plat
