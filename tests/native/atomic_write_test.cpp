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
#include <set>
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

// Files by name, and folders; every change after the first steps is
// refused, as if the program had been cut there.
struct CutFiles : RenameFiles {
  std::map<std::string, std::string> files;
  std::set<std::string> folders;
  int steps = 1 << 30;
  PathKind KindOf(const std::string& path) override {
    return folders.count(path) ? PathKind::Folder
           : files.count(path) ? PathKind::File
                               : PathKind::Missing;
  }
  bool Rename(const std::string& from, const std::string& to) override {
    if (steps-- <= 0 || !files.count(from) || KindOf(to) != PathKind::Missing) return false;
    files[to] = files[from];
    files.erase(from);
    return true;
  }
  bool Remove(const std::string& path) override { return steps-- > 0 && files.erase(path) > 0; }
};

// Cut after each step, then perhaps the target deleted by the user, then a
// look at it: the new content comes in once it is complete, the old one
// never comes back, and nothing is left beside the target.
TEST(ReplaceByRenames, ACutReplacementIsFinishedOrNotBegunNeverUndone) {
  struct Row {
    int steps;
    const char* kept;       // after the look; nullptr: no target
    const char* afterDelete;
  };
  const Row rows[] = {
      {0, "old", nullptr},  // not begun
      {1, "new", "new"},    // the new content finished beside the target
      {2, "new", "new"},    // the target aside
      {3, "new", nullptr},  // the new content in, the old aside
      {4, "new", nullptr},  // done
  };
  for (const Row& row : rows) {
    for (const bool deleted : {false, true}) {
      SCOPED_TRACE("cut after " + std::to_string(row.steps) + (deleted ? ", deleted" : ""));
      CutFiles disk;
      disk.files = {{"Registry.reg", "old"}, {"Registry.reg.1.tmp", "new"}};
      disk.steps = row.steps;
      EXPECT_EQ(ReplaceByRenames(disk, "Registry.reg.1.tmp", "Registry.reg"), row.steps >= 3);
      disk.steps = 1 << 30;
      if (deleted) disk.files.erase("Registry.reg");
      FinishCutReplacement(disk, "Registry.reg");
      const char* expected = deleted ? row.afterDelete : row.kept;
      EXPECT_EQ(disk.KindOf("Registry.reg"), expected ? PathKind::File : PathKind::Missing);
      if (expected) {
        EXPECT_EQ(disk.files["Registry.reg"], expected);
      }
      disk.files.erase("Registry.reg");
      disk.files.erase("Registry.reg.1.tmp");  // the caller's, whatever became of it
      EXPECT_TRUE(disk.files.empty()) << disk.files.begin()->first;
    }
  }
}

// A folder is never replaced nor moved aside, by either write; a folder
// where the old copy goes stops the replacement before anything moves.
TEST(ReplaceByRenames, AFolderIsNeverReplaced) {
  CutFiles disk;
  disk.folders = {"deploy", "Registry.reg.old.tmp"};
  disk.files = {{"deploy.1.tmp", "new"}, {"Registry.reg", "old"}, {"Registry.reg.1.tmp", "new"}};
  EXPECT_FALSE(ReplaceByRenames(disk, "deploy.1.tmp", "deploy"));
  disk.files["deploy.new.tmp"] = "finished";
  FinishCutReplacement(disk, "deploy");
  EXPECT_EQ(disk.KindOf("deploy"), PathKind::Folder);
  disk.files.erase("deploy.new.tmp");
  EXPECT_FALSE(ReplaceByRenames(disk, "Registry.reg.1.tmp", "Registry.reg"));
  EXPECT_EQ(disk.files, (std::map<std::string, std::string>{{"deploy.1.tmp", "new"},
                                                            {"Registry.reg", "old"}}));

  test::TempDir dir;
  fs::create_directory(dir.Path() + "/deploy");
  EXPECT_FALSE(WriteFileAtomically(dir.Path() + "/deploy", "new"));
  EXPECT_TRUE(fs::is_directory(dir.Path() + "/deploy"));
  EXPECT_EQ(TakeLeftovers(dir.Path(), "deploy"), 0);
}

}  // namespace
}  // namespace iz
