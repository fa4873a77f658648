// The real platform's atomic write (Registry.reg of the backup goes through
// it): a writer killed at any moment leaves the old file or the new one,
// never a mix. The writer is this test executable started again in a mode
// that rewrites the file for ever; the test kills it at random points.
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>
#include <string>

#include "win32/win.h"
#include "win32/win32_platform.h"

namespace {

constexpr char kChildVariable[] = "IZ_ATOMIC_WRITE_TARGET";
constexpr char kFallbackVariable[] = "IZ_ATOMIC_WRITE_FALLBACK";

// Two contents of the same large size that differ everywhere, so that a
// torn write cannot pass for either.
std::string Content(char fill) { return std::string(512 * 1024, fill); }

// The reader takes the writer's path: only the 9x family's finishes a cut
// replacement by renames.
std::string ReadAll(const std::string& path, bool fallback) {
  std::string data;
  iz::win32::Win32Platform platform;
  if (fallback) platform.moveFileEx = iz::win32::MoveFileExNotImplemented;
  if (platform.ReadFile(path, &data, 1u << 20) != iz::FileRead::Ok) return "<unreadable>";
  return data;
}

// The child: alternates the two contents until it is killed.
TEST(AtomicWriteKill, Writer) {
  const char* target = std::getenv(kChildVariable);
  if (!target) GTEST_SKIP() << "runs only as the killed child";
  iz::win32::Win32Platform platform;
  if (std::getenv(kFallbackVariable)) platform.moveFileEx = iz::win32::MoveFileExNotImplemented;
  for (int i = 0;; ++i) platform.WriteFileAtomically(target, Content(i % 2 ? 'B' : 'A'));
}

TEST(AtomicWriteKill, AKilledWriterLeavesTheOldFileOrTheNew) {
  if (std::getenv(kChildVariable)) GTEST_SKIP();
  char temp[MAX_PATH];
  GetTempPathA(MAX_PATH, temp);
  const std::string target =
      std::string(temp) + "iz_kill_" + std::to_string(GetCurrentProcessId()) + ".reg";
  iz::win32::Win32Platform platform;
  ASSERT_TRUE(platform.WriteFileAtomically(target, Content('A')));

  char self[MAX_PATH];
  GetModuleFileNameA(nullptr, self, MAX_PATH);
  std::string command = std::string("\"") + self + "\" --gtest_filter=AtomicWriteKill.Writer";
  SetEnvironmentVariableA(kChildVariable, target.c_str());
  std::mt19937 random(20261207);
  std::uniform_int_distribution<DWORD> delay(5, 120);
  // With MoveFileEx, then with the 9x family's fallback, where the next read
  // finishes a cut replacement.
  for (const char* fallback : {static_cast<const char*>(nullptr), "1"}) {
    SetEnvironmentVariableA(kFallbackVariable, fallback);
    for (int round = 0; round < 20; ++round) {
      STARTUPINFOA startup{};
      startup.cb = sizeof startup;
      PROCESS_INFORMATION process{};
      ASSERT_TRUE(CreateProcessA(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
      Sleep(delay(random));
      TerminateProcess(process.hProcess, 1);
      WaitForSingleObject(process.hProcess, 5000);
      CloseHandle(process.hThread);
      CloseHandle(process.hProcess);
      const std::string now = ReadAll(target, fallback != nullptr);
      EXPECT_TRUE(now == Content('A') || now == Content('B'))
          << (fallback ? "fallback" : "MoveFileEx") << " round " << round << ": " << now.size()
          << " bytes, a torn file";
    }
  }
  SetEnvironmentVariableA(kFallbackVariable, nullptr);
  SetEnvironmentVariableA(kChildVariable, nullptr);
  DeleteFileA(target.c_str());
  DeleteFileA((target + ".old.tmp").c_str());
  DeleteFileA((target + ".new.tmp").c_str());
  // What the killed writers left: temporary files of their own names.
  WIN32_FIND_DATAA found;
  const std::string folder = temp;
  HANDLE search = FindFirstFileA((target + ".*.tmp").c_str(), &found);
  for (BOOL more = search != INVALID_HANDLE_VALUE; more; more = FindNextFileA(search, &found))
    DeleteFileA((folder + found.cFileName).c_str());
  if (search != INVALID_HANDLE_VALUE) FindClose(search);
}

}  // namespace
