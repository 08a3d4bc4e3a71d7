#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <windows.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "advapi/registry_lock.h"
#include "advapi/registry_paths.h"
#include "orvanel/host.h"
#include "support/host_fixture.h"

namespace {

const char kKeyPath[] = "Software\\Quillmoor\\Orvanel_IV";

// Every test gets an empty settings directory of its own.
class RegistryTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = testsupport::UseFreshConfigDir() + "/" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name();
    std::filesystem::remove_all(dir_);
    Start();
  }
  void TearDown() override { host::Shutdown(); }

  void Start() {
    host::Shutdown();
    host::Options options;
    options.backend = "headless";
    options.configDir = dir_;
    std::string error;
    ASSERT_TRUE(host::Init(options, &error)) << error;
  }

  std::string File() const { return dir_ + "/registry"; }
  std::string FileText() const {
    std::ifstream in(File(), std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
  }
  void WriteFile(const std::string& text) const {
    std::filesystem::create_directories(dir_);
    std::ofstream(File(), std::ios::binary) << text;
  }

  static HKEY Create(const char* path, DWORD* disposition = nullptr) {
    HKEY key = nullptr;
    EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, path, 0, const_cast<LPSTR>("TestClass"), 0, KEY_ALL_ACCESS,
                              nullptr, &key, disposition),
              ERROR_SUCCESS);
    return key;
  }
  static LONG SetDword(HKEY key, const char* name, DWORD value) {
    return RegSetValueExA(key, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  // The value through a 4-byte read the way the settings store reads; -1 if it fails.
  static long long ReadDword(const char* path, const char* name) {
    HKEY key = nullptr;
    if (RegOpenKeyA(HKEY_CURRENT_USER, path, &key) != ERROR_SUCCESS) return -1;
    DWORD value = 0, size = sizeof value;
    LONG status = RegQueryValueExA(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS ? static_cast<long long>(value) : -1;
  }

  std::string dir_;
};

TEST_F(RegistryTest, KeysAreCreatedOnceAndFoundWithoutRegardToCase) {
  DWORD disposition = 0;
  HKEY key = Create(kKeyPath, &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_CREATED_NEW_KEY));
  RegCloseKey(key);
  key = Create("software\\QUILLMOOR\\orvanel_iv", &disposition);
  EXPECT_EQ(disposition, static_cast<DWORD>(REG_OPENED_EXISTING_KEY));
  RegCloseKey(key);

  HKEY parent = nullptr;
  EXPECT_EQ(RegOpenKeyExA(HKEY_CURRENT_USER, "Software\\Quillmoor", 0, KEY_READ, &parent), ERROR_SUCCESS);
  HKEY child = nullptr;
  EXPECT_EQ(RegOpenKeyA(parent, "Orvanel_IV", &child), ERROR_SUCCESS) << "relative to an open key";
  EXPECT_EQ(SetDword(child, "speed", 60), ERROR_SUCCESS);
  EXPECT_EQ(ReadDword(kKeyPath, "SPEED"), 60) << "value names without regard to case";
  RegCloseKey(child);
  RegCloseKey(parent);

  HKEY missing = reinterpret_cast<HKEY>(uintptr_t{1});
  EXPECT_EQ(RegOpenKeyA(HKEY_CURRENT_USER, "Control Panel\\Desktop", &missing), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(missing, nullptr);
  EXPECT_NE(FileText().find("@class=TestClass"), std::string::npos) << FileText();
  EXPECT_EQ(RegCloseKey(reinterpret_cast<HKEY>(uintptr_t{0x5555})), ERROR_INVALID_HANDLE);
}

TEST_F(RegistryTest, OtherRootsAreRefused) {
  HKEY key = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_LOCAL_MACHINE, "Software", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_ACCESS_DENIED);
  EXPECT_EQ(RegOpenKeyA(HKEY_USERS, "x", &key), ERROR_ACCESS_DENIED);
}

TEST_F(RegistryTest, QueriesReportTypeSizeAndShortBuffers) {
  HKEY key = Create(kKeyPath);
  const BYTE blob[6] = {1, 2, 3, 0, 0xFE, 0xFF};
  ASSERT_EQ(RegSetValueExA(key, "blob", 0, REG_BINARY, blob, sizeof blob), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "text", 0, REG_SZ, reinterpret_cast<const BYTE*>("a=b%c\n"), 7),
            ERROR_SUCCESS);
  ASSERT_EQ(SetDword(key, "speed", 250), ERROR_SUCCESS);

  DWORD type = 0, size = 0;
  EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, &type, nullptr, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_BINARY));
  EXPECT_EQ(size, 6u);

  // A value longer than 4 bytes fails a 4-byte read and leaves the buffer alone.
  DWORD value = 60;
  size = sizeof value;
  EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size),
            ERROR_MORE_DATA);
  EXPECT_EQ(size, 6u);
  EXPECT_EQ(value, 60u);

  BYTE buffer[16];
  std::memset(buffer, '#', sizeof buffer);
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "text", nullptr, &type, buffer, &size), ERROR_SUCCESS);
  EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(size, 7u);
  EXPECT_STREQ(reinterpret_cast<char*>(buffer), "a=b%c\n");
  EXPECT_EQ(buffer[7], '#');

  EXPECT_EQ(RegQueryValueExA(key, "nothing", nullptr, &type, buffer, &size), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "speed", nullptr, nullptr, buffer, nullptr), ERROR_INVALID_PARAMETER);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 250) << "stored as given, clamping is the reader's business";

  // Refused rather than written into the settings file: the file would be
  // too large to be read again (600 KB are written as 1.8 MB of hex digits).
  for (size_t bytes : {size_t{16u << 20} + 1, size_t{600} << 10}) {
    std::vector<BYTE> huge(bytes, 0xAB);
    EXPECT_EQ(RegSetValueExA(key, "huge", 0, REG_BINARY, huge.data(), static_cast<DWORD>(huge.size())),
              ERROR_NOT_ENOUGH_MEMORY)
        << bytes;
    EXPECT_EQ(RegQueryValueExA(key, "huge", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  }

  EXPECT_EQ(RegDeleteValueA(key, "Blob"), ERROR_SUCCESS);
  EXPECT_EQ(RegDeleteValueA(key, "blob"), ERROR_FILE_NOT_FOUND);
  EXPECT_EQ(RegQueryValueExA(key, "blob", nullptr, nullptr, nullptr, &size), ERROR_FILE_NOT_FOUND);
  RegCloseKey(key);
}

TEST_F(RegistryTest, EveryByteSurvivesTheFile) {
  HKEY key = Create(kKeyPath);
  std::string all;
  for (int c = 0; c < 256; ++c) all += static_cast<char>(c);
  const std::string names[] = {
      "", "=", "@class", "[x]", "%41", "caf\xe9", "; not a comment", " lead", "sprite 1 count"};
  for (const std::string& name : names)
    ASSERT_EQ(RegSetValueExA(key, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(all.data()), 256),
              ERROR_SUCCESS)
        << name;
  ASSERT_EQ(RegSetValueExA(key, "odd", 0, 77, reinterpret_cast<const BYTE*>("xyz"), 3), ERROR_SUCCESS);
  ASSERT_EQ(RegSetValueExA(key, "empty", 0, REG_BINARY, nullptr, 0), ERROR_SUCCESS);
  RegCloseKey(key);
  Start();  // a new run
  key = Create(kKeyPath);
  for (const std::string& name : names) {
    char buffer[300];
    DWORD type = 0, size = sizeof buffer;
    ASSERT_EQ(RegQueryValueExA(key, name.c_str(), nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
              ERROR_SUCCESS)
        << name;
    EXPECT_EQ(type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(std::string(buffer, size), all) << name;
  }
  char buffer[8];
  DWORD type = 0, size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "odd", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(type, 77u);
  EXPECT_EQ(std::string(buffer, size), "xyz");
  size = sizeof buffer;
  EXPECT_EQ(RegQueryValueExA(key, "empty", nullptr, &type, reinterpret_cast<BYTE*>(buffer), &size),
            ERROR_SUCCESS);
  EXPECT_EQ(size, 0u);
  RegCloseKey(key);
}

TEST_F(RegistryTest, ValuesLastAcrossRunsAndProcesses) {
  HKEY key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "speed", 42), ERROR_SUCCESS);
  RegCloseKey(key);
  Start();
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 42);

  pid_t child = fork();
  ASSERT_GE(child, 0);
  if (child == 0) {
    // Another process stores values in its own key and in ours.
    HKEY other = nullptr;
    RegCreateKeyExA(HKEY_CURRENT_USER, "Control Panel\\Desktop", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                    &other, nullptr);
    DWORD one = 1;
    LONG a = RegSetValueExA(other, "ScreenSaveUsePassword", 0, REG_DWORD, reinterpret_cast<BYTE*>(&one), 4);
    LONG b = SetDword(Create(kKeyPath), "sprite 2 count", 7);
    _exit(a == ERROR_SUCCESS && b == ERROR_SUCCESS ? 0 : 1);
  }
  int status = 0;
  ASSERT_EQ(waitpid(child, &status, 0), child);
  ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);

  EXPECT_EQ(ReadDword("Control Panel\\Desktop", "ScreenSaveUsePassword"), 1);
  EXPECT_EQ(ReadDword(kKeyPath, "sprite 2 count"), 7);
  key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "sprite 1 count", 2), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 42) << "a write keeps what others wrote";
  EXPECT_EQ(ReadDword(kKeyPath, "sprite 2 count"), 7);
  EXPECT_EQ(ReadDword("Control Panel\\Desktop", "ScreenSaveUsePassword"), 1);
}

TEST_F(RegistryTest, ConcurrentWritersLoseNothing) {
  constexpr int kWriters = 4;
  constexpr int kValuesEach = 15;
  pid_t children[kWriters];
  for (int writer = 0; writer < kWriters; ++writer) {
    children[writer] = fork();
    ASSERT_GE(children[writer], 0);
    if (children[writer] == 0) {
      HKEY key = Create(kKeyPath);
      bool ok = true;
      for (int i = 0; i < kValuesEach; ++i)
        ok &= SetDword(key, ("w" + std::to_string(writer) + "v" + std::to_string(i)).c_str(), i) ==
              ERROR_SUCCESS;
      _exit(ok ? 0 : 1);
    }
  }
  for (pid_t child : children) {
    int status = 0;
    ASSERT_EQ(waitpid(child, &status, 0), child);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
  }
  for (int writer = 0; writer < kWriters; ++writer)
    for (int i = 0; i < kValuesEach; ++i)
      EXPECT_EQ(ReadDword(kKeyPath, ("w" + std::to_string(writer) + "v" + std::to_string(i)).c_str()), i);
}

TEST_F(RegistryTest, AKeyThatWroteHoldsTheLockUntilItIsClosed) {
  // So that the values written through one handle reach the file with no
  // other process's values between them.
  HKEY first = Create(kKeyPath), second = Create(kKeyPath);
  auto lockedElsewhere = [this] {
    int fd = open((dir_ + "/registry.lock").c_str(), O_RDWR | O_CLOEXEC);
    bool locked = fd >= 0 && flock(fd, LOCK_EX | LOCK_NB) != 0;
    if (fd >= 0) close(fd);
    return locked;
  };
  EXPECT_FALSE(lockedElsewhere()) << "opening a key takes no lock";
  ASSERT_EQ(SetDword(first, "speed", 1), ERROR_SUCCESS);
  EXPECT_TRUE(lockedElsewhere());
  ASSERT_EQ(SetDword(second, "speed", 2), ERROR_SUCCESS) << "keys of one process share the lock";
  RegCloseKey(first);
  EXPECT_TRUE(lockedElsewhere()) << "the second key still holds it";
  RegCloseKey(second);
  EXPECT_FALSE(lockedElsewhere());
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 2);
}

TEST_F(RegistryTest, ALockHeldElsewhereIsWaitedForABoundedTime) {
  HKEY key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "speed", 42), ERROR_SUCCESS);
  RegCloseKey(key);
  const std::string before = FileText();
  // Another process holding the lock (a lock of its own open file counts as one).
  int other = open((dir_ + "/registry.lock").c_str(), O_RDWR | O_CLOEXEC);
  ASSERT_GE(other, 0);
  ASSERT_EQ(flock(other, LOCK_EX), 0);
  const uint32_t wait = plat::RegistryLockWait();
  plat::SetRegistryLockWait(50);
  testing::internal::CaptureStderr();
  key = Create(kKeyPath);
  EXPECT_EQ(SetDword(key, "speed", 7), ERROR_LOCK_VIOLATION);
  HKEY fresh = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr,
                            &fresh, nullptr),
            ERROR_LOCK_VIOLATION);
  const std::string errors = testing::internal::GetCapturedStderr();
  plat::SetRegistryLockWait(wait);
  EXPECT_NE(errors.find("in use by another process"), std::string::npos) << errors;
  EXPECT_EQ(FileText(), before);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 42) << "reads do not wait";
  close(other);
  EXPECT_EQ(SetDword(key, "speed", 7), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 7);
}

TEST_F(RegistryTest, TemporaryFilesOfKilledWritersAreRemoved) {
  std::filesystem::create_directories(dir_);
  const std::vector<std::string> stale = {"registry.tmp-4194303", "registry.tmp-1"};
  const std::vector<std::string> others = {"registry.tmp-12.bak", "registry.tmp-", "notes.tmp-5"};
  for (const auto& names : {stale, others})
    for (const std::string& name : names) std::ofstream(dir_ + "/" + name) << "half a file";
  HKEY key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "speed", 1), ERROR_SUCCESS);
  RegCloseKey(key);
  for (const std::string& name : stale) EXPECT_FALSE(std::filesystem::exists(dir_ + "/" + name)) << name;
  for (const std::string& name : others) EXPECT_TRUE(std::filesystem::exists(dir_ + "/" + name)) << name;
}

TEST_F(RegistryTest, AFileOverOneMegabyteIsNeitherReadNorReplaced) {
  std::string big = "[Software\\Quillmoor\\Orvanel_IV]\nspeed=dword:77\n";
  big += "; " + std::string((1u << 20) - big.size(), 'x') + "\n";
  WriteFile(big);
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), -1);
  HKEY key = nullptr;
  EXPECT_EQ(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\New", 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key,
                            nullptr),
            ERROR_FILE_TOO_LARGE);
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find("larger than 1 MB"), std::string::npos) << errors;
  EXPECT_TRUE(FileText() == big) << "the file was changed";
}

TEST_F(RegistryTest, ALinkedSettingsFileIsWrittenThroughToItsTarget) {
  namespace fs = std::filesystem;
  struct Case {
    const char* name;
    std::string link;  // what the link at the settings file says
    std::string target;
  } cases[] = {
      {"absolute", dir_ + "/dotfiles/registry", dir_ + "/dotfiles/registry"},
      {"relative", "../dotfiles/orvanel", dir_ + "/dotfiles/orvanel"},
      {"not there yet", "../dotfiles/new", dir_ + "/dotfiles/new"},
  };
  for (const Case& c : cases) {
    fs::remove_all(dir_);
    fs::create_directories(dir_ + "/config");
    fs::create_directories(dir_ + "/dotfiles");
    if (std::string(c.name) != "not there yet") std::ofstream(c.target) << "[Other]\nkept=dword:3\n";
    fs::create_symlink(c.link, dir_ + "/config/registry");
    dir_ += "/config";
    Start();
    HKEY key = Create(kKeyPath);
    EXPECT_EQ(SetDword(key, "speed", 55), ERROR_SUCCESS) << c.name;
    RegCloseKey(key);
    EXPECT_TRUE(fs::is_symlink(File())) << c.name << ": the link was replaced";
    EXPECT_EQ(ReadDword(kKeyPath, "speed"), 55) << c.name;
    std::ifstream in(c.target);
    std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    EXPECT_NE(text.find("speed=dword:55"), std::string::npos) << c.name << ": " << text;
    dir_.resize(dir_.size() - 7);
  }
  // A loop of links is refused, not followed for ever.
  fs::remove_all(dir_);
  fs::create_directories(dir_);
  fs::create_symlink("registry", File());
  Start();
  testing::internal::CaptureStderr();
  HKEY key = nullptr;
  EXPECT_NE(
      RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_SUCCESS);
  EXPECT_NE(testing::internal::GetCapturedStderr().find("loop"), std::string::npos);
}

TEST(RegistryPlace, WithoutAHomeTheDatabaseNamesItElseNothingIsWritten) {
  struct Case {
    const char *configured, *xdg, *home, *passwordHome, *expected;
  } cases[] = {
      {"/etc/x", "/xdg", "/home/a", "/home/b", "/etc/x"},
      {"", "/xdg", "/home/a", "/home/b", "/xdg/orvanel-saver"},
      {"", "relative", "/home/a", "/home/b", "/home/a/.config/orvanel-saver"},
      {"", nullptr, nullptr, "/home/b", "/home/b/.config/orvanel-saver"},
      {"", "", "", "/home/b", "/home/b/.config/orvanel-saver"},
      {"", nullptr, "relative", "/home/b", "/home/b/.config/orvanel-saver"},
      {"", nullptr, nullptr, nullptr, ""},  // the working directory is no home
      {"", nullptr, "", "", ""},
  };
  for (const Case& c : cases)
    EXPECT_EQ(plat::ChooseConfigDirectory(c.configured, "orvanel-saver", c.xdg, c.home, c.passwordHome), c.expected)
        << "home " << (c.home ? c.home : "(unset)");
}

TEST_F(RegistryTest, FileLivesUnderXdgConfigHomeInAFolderNamedAfterTheProgram) {
  const char* saved = std::getenv("XDG_CONFIG_HOME");
  std::string savedValue = saved ? saved : "";
  setenv("XDG_CONFIG_HOME", (dir_ + "/xdg").c_str(), 1);
  host::Shutdown();
  host::Options options;
  options.backend = "headless";
  options.programName = "some-program";
  ASSERT_TRUE(host::Init(options));
  HKEY key = Create(kKeyPath);
  EXPECT_EQ(SetDword(key, "speed", 11), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_TRUE(std::filesystem::exists(dir_ + "/xdg/some-program/registry"));
  if (saved)
    setenv("XDG_CONFIG_HOME", savedValue.c_str(), 1);
  else
    unsetenv("XDG_CONFIG_HOME");
}

TEST_F(RegistryTest, DamagedFileKeepsWhatItCouldNotRead) {
  static const char damage[] =
      "[Software\\Quillmoor\\Orvanel_IV]\n"
      "speed=dword:77\n"
      "garbage line without equals\n"
      "half=dword:12x\n"
      "\x01\x02\xff\xfe binary\0junk\n"
      "[Broken%zzHeader]\n"
      "lost=dword:5\n"
      "[Control Panel\\Desktop]\n"
      "ScreenSaveUsePassword=dword:1\n"
      "trunc=hex:0";
  WriteFile(std::string(damage, sizeof damage - 1) + std::string("\0tail", 5));
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 77);
  EXPECT_EQ(ReadDword(kKeyPath, "half"), -1);
  EXPECT_EQ(ReadDword("Control Panel\\Desktop", "ScreenSaveUsePassword"), 1);
  EXPECT_EQ(ReadDword("Broken%zzHeader", "lost"), -1);

  HKEY key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "speed", 30), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 30);
  EXPECT_EQ(ReadDword("Control Panel\\Desktop", "ScreenSaveUsePassword"), 1);
  std::string text = FileText();
  for (const char* kept : {"garbage line without equals", "half=dword:12x", "\x01\x02\xff\xfe binary",
                           "[Broken%zzHeader]\nlost=dword:5", "trunc=hex:0"})
    EXPECT_NE(text.find(kept), std::string::npos) << "lost: " << kept;
}

TEST_F(RegistryTest, TruncatedAndJunkFilesReadAsWhatIsLeft) {
  WriteFile("[Software\\Quillmoor\\Orvanel_IV]\nspeed=dword:77\nsprite 1 count=dwo");
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 77);
  EXPECT_EQ(ReadDword(kKeyPath, "sprite 1 count"), -1);
  WriteFile("[Software\\Quill");
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), -1);

  std::string junk;
  uint32_t state = 99;
  for (int i = 0; i < 5000; ++i) {
    state = state * 1664525 + 1013904223;
    junk += static_cast<char>(state >> 24);
  }
  WriteFile(junk);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), -1);
  HKEY key = Create(kKeyPath);
  ASSERT_EQ(SetDword(key, "speed", 5), ERROR_SUCCESS);
  RegCloseKey(key);
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), 5);
  std::string text = FileText();
  EXPECT_GE(text.size(), junk.size()) << "the junk is kept, not thrown away";
}

TEST_F(RegistryTest, UnreadableFileIsNeverReplaced) {
  std::filesystem::create_directories(File());  // a directory where the file should be
  testing::internal::CaptureStderr();
  EXPECT_EQ(ReadDword(kKeyPath, "speed"), -1);
  HKEY key = nullptr;
  EXPECT_EQ(
      RegCreateKeyExA(HKEY_CURRENT_USER, kKeyPath, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
      ERROR_ACCESS_DENIED);
  EXPECT_TRUE(std::filesystem::is_directory(File()));
  // Said once for the reads and once for the write, with the reason.
  const std::string errors = testing::internal::GetCapturedStderr();
  EXPECT_NE(errors.find(File() + "\": Is a directory; it is left as it is and not used"), std::string::npos)
      << errors;
  EXPECT_NE(errors.find("Is a directory; it is left as it is and the settings are not saved"),
            std::string::npos)
      << errors;
  EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 2) << errors;
}

}  // namespace
