// A writer killed in the middle of a write leaves the old file or the new one,
// never a mix and never none: a child process rewrites a large file over and
// over, alternating between two contents, and is killed at a random moment,
// many times. Covered: the atomic file write of the core (what Registry.reg
// is written with away from Windows) and the ini writer of the substitute
// profile file, which reads the file and writes it back whole. Then the
// replacement by renames of the 9x family, cut after each of its steps.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>

#include "native/temp_dir.h"
#include "store/file_replace.h"
#include "store/ini_profile.h"

namespace iz {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

std::string ReadAll(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Temporary files a killed writer left beside the target; removed, so each
// round counts its own.
int TakeLeftovers(const std::string& dir, const std::string& target) {
  int count = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    if (entry.path().filename() != target) {
      fs::remove(entry.path());
      ++count;
    }
  }
  return count;
}

struct KillReport {
  int rounds = 0, sawFirst = 0, sawSecond = 0, interrupted = 0;
};

// Forks a child that runs write(i) for i = 0, 1, 2 ... until it is killed
// after a random delay of up to three times the duration of one write, and
// checks after each kill that the file holds first or second exactly.
KillReport KillWhileWriting(const std::string& dir, const std::string& name, int rounds,
                            const std::string& first, const std::string& second,
                            const std::function<bool(int)>& write) {
  const std::string path = dir + "/" + name;
  KillReport report;
  const Clock::time_point start = Clock::now();
  EXPECT_TRUE(write(0));
  EXPECT_TRUE(write(1));
  const auto oneWrite = (Clock::now() - start) / 2;
  std::mt19937 random(20240607u);
  std::uniform_int_distribution<long long> delay(
      0, std::chrono::duration_cast<std::chrono::microseconds>(oneWrite * 3).count() + 1);

  // Under load a kill can miss every write for a while; keep going, up to
  // five times the rounds asked for, until both contents and an interrupted
  // write have been seen.
  for (int round = 0; round < rounds * 5; ++round) {
    if (round >= rounds && report.sawFirst && report.sawSecond && report.interrupted) break;
    const pid_t child = fork();
    if (child == 0) {
      // Bounded, in case the kill never comes.
      for (int i = 0; i < 100000; ++i) write(i);
      _exit(0);
    }
    EXPECT_GT(child, 0);
    if (child <= 0) break;
    std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
    kill(child, SIGKILL);
    int status = 0;
    waitpid(child, &status, 0);

    const std::string now = ReadAll(path);
    EXPECT_TRUE(now == first || now == second)
        << "round " << round << ": " << now.size() << " bytes, neither the one nor the other";
    report.sawFirst += now == first;
    report.sawSecond += now == second;
    report.interrupted += TakeLeftovers(dir, name) > 0;
    ++report.rounds;
  }
  return report;
}

// Large enough that a write takes a while: about a megabyte.
std::string Content(char fill, std::size_t lines) {
  std::string text;
  for (std::size_t i = 0; i < lines; ++i) {
    text += "line " + std::to_string(i) + " " + std::string(60, fill) + "\r\n";
  }
  return text;
}

TEST(AtomicWrite, AKilledWriterLeavesTheOldFileOrTheNew) {
  test::TempDir dir;
  const std::string path = dir.Path() + "/Registry.reg";
  const std::string a = Content('a', 14000), b = Content('b', 15000);
  const KillReport report = KillWhileWriting(dir.Path(), "Registry.reg", 100, a, b, [&](int i) {
    return WriteFileAtomically(path, i % 2 ? b : a);
  });
  // Both contents were seen and some kills struck in the middle of a write,
  // or the rounds proved nothing.
  EXPECT_GT(report.sawFirst, 0);
  EXPECT_GT(report.sawSecond, 0);
  EXPECT_GT(report.interrupted, 0);
}

TEST(AtomicWrite, AKilledIniWriterLeavesTheOldFileOrTheNew) {
  test::TempDir dir;
  // A Win.ini with many sections and the Ports section at the end.
  std::string base;
  for (int s = 0; s < 3000; ++s) {
    base += "[Section" + std::to_string(s) + "]\r\nkey=" + std::string(200, 'v') + "\r\n\r\n";
  }
  const std::string slow = "9600,n,8,1", fast = "921600,n,8,1,p";
  const std::string withSlow = IniWrite(base, "Ports", "COM1:", slow);
  const std::string withFast = IniWrite(withSlow, "Ports", "COM1:", fast);
  ASSERT_TRUE(WriteFileAtomically(dir.Path() + "/Win.ini", withSlow));
  IniProfileStrings profiles(dir.Path(), "C:\\WINDOWS");

  const KillReport report =
      KillWhileWriting(dir.Path(), "Win.ini", 100, withSlow, withFast, [&](int i) {
        return profiles.WriteString("C:\\WINDOWS\\Win.ini", "Ports", "COM1:", i % 2 ? fast : slow);
      });
  EXPECT_GT(report.sawFirst, 0);
  EXPECT_GT(report.sawSecond, 0);
  EXPECT_GT(report.interrupted, 0);
}

// R and its new content R.1 beside it; every change after the first steps
// is refused, as if the program were cut there.
using Files = std::map<std::string, std::string>;
struct CutFiles : RenameFiles {
  Files files{{"R", "old"}, {"R.1", "new"}};
  std::string folder;
  int steps = 99;
  PathKind KindOf(const std::string& path) override {
    return path == folder      ? PathKind::Folder
           : files.count(path) ? PathKind::File
                               : PathKind::Missing;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    if (steps-- <= 0 || !files.count(from) || KindOf(to) != PathKind::Missing) return false;
    files[to] = files[from];
    return files.erase(from);
  }
  bool Remove(const std::string& path) override { return steps-- > 0 && files.erase(path); }
};

// Cut after each step; then another program writes the target, deletes it
// or does nothing; then a look. The result is never older than what the
// other program left: a written target is kept, a deleted one stays
// deleted, and the new content comes in only when the cut fell between the
// two renames. Nothing else is left. A folder in the way stops it before
// anything moves.
TEST(AtomicWrite, ACutReplacementByRenamesNeverPutsBackAnythingOlder) {
  struct Row {
    bool targetWas;  // R existed before the replacement
    int steps;       // done before the cut
    const char* left;         // what the look leaves; "" none
    const char* leftDeleted;  // the same after another program deleted R
  };
  const Row rows[] = {
      {true, 0, "old", ""},  {true, 1, "old", ""}, {true, 2, "new", "new"},
      {true, 3, "new", ""},  {true, 4, "new", ""}, {false, 0, "", ""},
      {false, 1, "new", ""},
  };
  for (const Row& row : rows) {
    for (const char* other : {"nothing", "writes", "deletes"}) {
      SCOPED_TRACE(std::to_string(row.steps) + " steps" + (row.targetWas ? "" : ", new file") +
                   ", the other program " + other);
      CutFiles disk;
      if (!row.targetWas) disk.files.erase("R");
      disk.steps = row.steps;
      EXPECT_EQ(ReplaceByRenames(disk, "R.1", "R"), row.steps >= (row.targetWas ? 3 : 1));
      disk.steps = 99;
      const std::string what = other;
      if (what == "writes") disk.files["R"] = "other";
      if (what == "deletes") disk.files.erase("R");
      FinishCutReplacement(disk, "R");
      disk.files.erase("R.1");  // the caller's to delete
      const std::string left = what == "writes"    ? "other"
                               : what == "deletes" ? row.leftDeleted
                                                   : row.left;
      EXPECT_EQ(disk.files, (left.empty() ? Files{} : Files{{"R", left}}));
    }
  }
  for (const char* folder : {"R", "R.old.tmp", "R.new.tmp"}) {
    CutFiles disk;
    disk.folder = folder;
    EXPECT_FALSE(ReplaceByRenames(disk, "R.1", "R")) << folder;
    disk.files.erase("R.1");
    EXPECT_EQ(disk.files, (Files{{"R", "old"}})) << folder;
  }
  test::TempDir dir;
  fs::create_directory(dir.Path() + "/R");
  EXPECT_FALSE(WriteFileAtomically(dir.Path() + "/R", "new"));
  EXPECT_EQ(TakeLeftovers(dir.Path(), "R"), 0);
}

}  // namespace
}  // namespace iz
