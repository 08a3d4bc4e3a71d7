// Message boxes on the X server, answered from the keyboard by a helper
// program. (SDL shows the box from a forked process, so the answer comes from
// a process of its own, never from a thread of ours.)
#include "xvfb_fixture.h"

#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <string>

extern char** environ;

namespace sdltest {
namespace {

// Starts the helper that finds the window titled caption, gives it the
// keyboard and presses key.
pid_t AnswerWith(const std::string& caption, const char* key) {
  const char* argv[] = {ORVANEL_PRESS_KEY_HELPER, caption.c_str(), key, nullptr};
  pid_t pid = 0;
  if (posix_spawn(&pid, argv[0], nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return 0;
  return pid;
}

using SdlMessageBox = XvfbTest;

TEST_F(SdlMessageBox, ButtonsDefaultsAndEscapeFollowTheFlags) {
  ASSERT_TRUE(StartBackend());
  struct Case {
    UINT type;
    const char* key;
    int expected;
  } cases[] = {
      {MB_OK | MB_ICONHAND, "Return", IDOK},
      {MB_OKCANCEL | MB_DEFBUTTON2 | MB_ICONQUESTION, "Return", IDCANCEL},
      {MB_OKCANCEL, "Escape", IDCANCEL},
      {MB_YESNO | MB_ICONEXCLAMATION, "Escape", IDNO},
      {MB_YESNOCANCEL, "Return", IDYES},
      {MB_ABORTRETRYIGNORE | MB_DEFBUTTON3, "Return", IDIGNORE},
      {MB_RETRYCANCEL | MB_ICONASTERISK, "Return", IDRETRY},
  };
  int number = 0;
  for (const Case& c : cases) {
    std::string caption = "mTest " + std::to_string(++number);
    pid_t user = AnswerWith(caption, c.key);
    ASSERT_NE(user, 0);
    int result = backend_->ShowMessageBox(nullptr, "Bad chunk type: test.flc", caption.c_str(), c.type);
    int status = 0;
    waitpid(user, &status, 0);
    EXPECT_EQ(status, 0) << caption << ": the helper found no box";
    EXPECT_EQ(result, c.expected) << caption << ", type 0x" << std::hex << c.type << ", " << c.key;
  }
}

}  // namespace
}  // namespace sdltest
