// Every registry call of every writing and reading command made to fail, one
// at a time: the command either completes as it does without the failure or
// stops with the store's error text; after a failure it shows no message of
// its own and never restarts, and it leaves no key handle open. An invalid
// field stops Optimize before it writes, wherever a failure would have struck.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <functional>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "commands/izelvora.h"
#include "native/panel_fixture.h"
#include "restore/backup.h"
#include "journal/journal.h"
#include "store/error.h"
#include "store/memory_registry.h"
#include "store/parameter_map.h"

namespace iz::test {
namespace {

using Rig = MemoryMachine;

using Entries = std::vector<MemoryRegistry::Entry>;

// A store error as the general error report shows it: one of the store's
// patterns around any argument, with the report's full stop or not.
bool IsStoreErrorText(const std::string& text, const std::vector<const char*>& patterns) {
  const auto endsWith = [&](const std::string& tail) {
    return text.size() >= tail.size() &&
           text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
  };
  for (const std::string& pattern : std::vector<std::string>(patterns.begin(), patterns.end())) {
    const std::size_t at = pattern.find("%s");
    const std::string head = pattern.substr(0, at), tail = pattern.substr(at + 2);
    if (text.rfind(head, 0) == 0 && text.size() >= head.size() + tail.size() &&
        (endsWith(tail) || endsWith(tail + "."))) {
      return true;
    }
  }
  return false;
}

const std::vector<const char*> kWriteErrors = {kFailedToCreateKey, kFailedToSetData,
                                               kFailedToRemove};
const std::vector<const char*> kReadErrors = {kFailedToGetData, kInvalidDataType};

// Optimize with "CABLE / DSL", answered No: what the restores, the readers
// and the backup start from.
void Optimize(Rig& rig, const VersionInfo& version) {
  rig.platform.version = version;
  rig.w.Click(rig.w.cableDsl);  // "CABLE / DSL", " Automatic Mode 1"
  rig.platform.answers = {MsgAnswer::No};
  rig.w.OnOptimize();
}

using Handler = void (TIZelvora::*)();
const Handler kOptimize = &TIZelvora::OnOptimize;
const Handler kRestoreDefaults = &TIZelvora::OnRestoreDefaults;
const Handler kView = &TIZelvora::OnViewCurrentSettings;

struct Operation {
  const char* name;
  VersionInfo version;
  std::function<void(Rig&)> setUp;  // may use the registry; not counted
  MsgAnswer answer;                 // to the command's prompt; Ok: it has none
  Handler run;
  const std::vector<const char*>* errors;  // the store errors it may raise
};

// A stock system with "CABLE / DSL" ticked, ready for Optimize.
void ReadyNT(Rig& rig) {
  SeedStockNT(rig.registry);
  rig.w.Click(rig.w.cableDsl);
}
void Ready9x(Rig& rig) {
  SeedStock9x(rig.registry);
  rig.w.Click(rig.w.cableDsl);
}
void OptimizedNT(Rig& rig) {
  SeedStockNT(rig.registry);
  Optimize(rig, WinXP());
}
void Optimized98(Rig& rig) {
  SeedStock9x(rig.registry);
  Optimize(rig, Win98SE());
}
// Saved while optimized, then put back to the defaults: restoring the saved
// settings has every value to write back and some to remove. One value is
// larger than a first query reads, so that one growing between two queries
// is read again.
void SavedThenRestoredDefaults(Rig& rig) {
  OptimizedNT(rig);
  rig.w.OnBackup();
  rig.platform.answers = {MsgAnswer::No};
  rig.w.OnRestoreDefaults();
  rig.registry.SetRaw(kHKLM, map::kNetTrans0002Key, map::kMaxMSS, kRegBinary,
                      std::vector<std::uint8_t>(100, 0x11));
}

// Start-up reads and writes the first-run flag, then reads the settings.
const std::vector<const char*> kStartUpErrors = {kFailedToCreateKey, kFailedToSetData,
                                                 kFailedToGetData, kInvalidDataType};

const std::vector<Operation>& Operations() {
  using A = MsgAnswer;
  static const std::vector<Operation> operations = {
      {"Optimize NT, Yes", WinXP(), ReadyNT, A::Yes, kOptimize, &kWriteErrors},
      {"Optimize NT, No", WinXP(), ReadyNT, A::No, kOptimize, &kWriteErrors},
      {"Optimize 98, Yes", Win98SE(), Ready9x, A::Yes, kOptimize, &kWriteErrors},
      {"Optimize 98, No", Win98SE(), Ready9x, A::No, kOptimize, &kWriteErrors},
      {"Optimize 95, Yes", Win95(), Ready9x, A::Yes, kOptimize, &kWriteErrors},
      {"Restore NT defaults", WinXP(), OptimizedNT, A::Yes, kRestoreDefaults, &kWriteErrors},
      {"Restore 98 defaults", Win98SE(), Optimized98, A::Yes, kRestoreDefaults, &kWriteErrors},
      {"Restore 95 defaults", Win95(), Optimized98, A::Yes, kRestoreDefaults, &kWriteErrors},
      {"Read NT", WinXP(), OptimizedNT, A::Ok, kView, &kReadErrors},
      {"Read 9x", Win98SE(), Optimized98, A::Ok, kView, &kReadErrors},
      {"Start-up NT", WinXP(), OptimizedNT, A::Ok, &TIZelvora::OnCreate, &kStartUpErrors},
      {"Backup", WinXP(), SavedThenRestoredDefaults, A::Ok, &TIZelvora::OnBackup, &kReadErrors},
      {"Restore previous settings", WinXP(), SavedThenRestoredDefaults, A::Ok,
       &TIZelvora::OnRestorePrevious, &kWriteErrors},
  };
  return operations;
}

// What one run of a command leaves behind.
struct Outcome {
  bool journaled = false;  // the command recorded the state before writing
  int calls = 0;           // raw registry calls the command made after that
  std::string failedCall;  // the call made to fail, as logged
  std::vector<std::string> platformCalls;
  std::vector<FakePlatform::Message> messages;
  Entries before, after;
  std::vector<std::string> keysBefore, keysAfter;
  std::map<std::string, std::string> iniBefore, iniAfter;
  std::map<std::string, std::string> filesBefore, filesAfter;  // the Backup folder's too
  std::string backupNow;  // what a backup of the registry as the run left it writes
  int openHandles = 0;
};

enum class Fault { Fail, Grow };

// The journal's record is complete once its .reg file is written.
bool IsJournalRecord(const std::string& path) {
  return path.find("\\History\\") != path.npos && path.size() > 4 &&
         path.compare(path.size() - 4, 4, ".reg") == 0;
}

// A fresh machine, set up for the command; with failAt > 0 the failAt-th raw
// call of the command itself fails with status, counted from the journal's
// record when the command makes one (its own reads failing are the journal
// tests' business).
Outcome RunOnce(const Operation& op, int failAt, long status, Fault fault = Fault::Fail,
                bool journaled = false) {
  Rig rig;
  rig.platform.version = op.version;
  op.setUp(rig);
  rig.platform.version = op.version;
  rig.platform.calls.clear();
  rig.platform.messages.clear();
  rig.platform.answers = {op.answer};

  Outcome out;
  out.before = rig.registry.Dump();
  out.keysBefore = rig.registry.Keys();
  out.iniBefore = rig.profiles.entries;
  out.filesBefore = rig.platform.files;
  int first = rig.registry.CallCount();
  const auto arm = [&] {
    if (failAt > 0 && fault == Fault::Fail) rig.registry.FailCall(failAt, status);
    if (failAt > 0 && fault == Fault::Grow) rig.registry.GrowBeforeCall(failAt);
  };
  rig.platform.afterWrite = [&](const std::string& path) {
    if (!IsJournalRecord(path) || out.journaled) return;  // the record's first write only
    out.journaled = true;
    first = rig.registry.CallCount();
    arm();
  };
  if (!journaled) arm();
  rig.w.Dispatch([&] { (rig.w.*op.run)(); });
  out.calls = rig.registry.CallCount() - first;
  if (failAt > 0 && failAt <= out.calls)
    out.failedCall = rig.registry.CallLog()[first + failAt - 1];
  out.platformCalls = rig.platform.calls;
  out.messages = rig.platform.messages;
  out.after = rig.registry.Dump();
  out.keysAfter = rig.registry.Keys();
  out.iniAfter = rig.profiles.entries;
  out.filesAfter = rig.platform.files;
  try {  // a failure the command never reached would strike here
    out.backupNow = WriteRegFile(CaptureMappedValues(rig.registry));
  } catch (const Error&) {
  }
  out.openHandles = rig.registry.OpenHandles();
  return out;
}

// Registry names compare without regard to case.
std::string Canonical(const std::string& text) {
  std::string out = text;
  for (char& c : out) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return out;
}
std::string Canonical(const MemoryRegistry::Entry& e) {
  std::ostringstream out;
  out << e;
  return Canonical(out.str());
}

// Values or keys that the run left and that neither the machine before nor
// the run without a failure has: writes that went astray.
template <class T>
std::vector<T> Stray(const std::vector<T>& after, const std::vector<T>& before,
                     const std::vector<T>& clean) {
  std::set<std::string> known;
  for (const T& e : before) known.insert(Canonical(e));
  for (const T& e : clean) known.insert(Canonical(e));
  std::vector<T> stray;
  for (const T& e : after) {
    if (!known.count(Canonical(e))) stray.push_back(e);
  }
  return stray;
}

std::string Show(const Entries& entries) {
  std::ostringstream out;
  for (const MemoryRegistry::Entry& e : entries) out << "\n  " << e;
  return out.str();
}

bool IsRestartCall(const std::string& call) {
  return call.rfind("ExitWindowsEx", 0) == 0 || call.rfind("OpenProcessToken", 0) == 0 ||
         call.rfind("ShellOpen", 0) == 0;
}

// Runs the command once without failures, then once for each of its raw
// calls made to fail with each status, handing both outcomes to check.
void ForEachFailure(const Operation& op, std::initializer_list<long> statuses,
                    const std::function<void(const Outcome& clean, const Outcome& run)>& check) {
  const Outcome clean = RunOnce(op, 0, kRegOk);
  SCOPED_TRACE(op.name);
  // The run without failures must itself be sound, or the rest means little.
  ASSERT_GT(clean.calls, 0);
  ASSERT_EQ(clean.openHandles, 0);
  for (const FakePlatform::Message& m : clean.messages) ASSERT_NE(m.icon, MsgIcon::Error) << m.text;
  for (long status : statuses) {
    for (int n = 1; n <= clean.calls; ++n) {
      const Outcome run = RunOnce(op, n, status, Fault::Fail, clean.journaled);
      SCOPED_TRACE("call " + std::to_string(n) + " (" + run.failedCall + ") fails with " +
                   std::to_string(status));
      check(clean, run);
    }
  }
}

TEST(FaultInjection, EveryFailedCallCompletesOrStopsWithTheStoreError) {
  for (const Operation& op : Operations()) {
    ForEachFailure(
        op, {kRegAccessDenied, kRegNotFound}, [&](const Outcome& clean, const Outcome& run) {
          // A handle whose close failed stays open; nothing else may.
          const bool closeFailed = run.failedCall.rfind("CloseKey", 0) == 0;
          EXPECT_EQ(run.openHandles, closeFailed ? 1 : 0);

          const auto error = std::find_if(run.messages.begin(), run.messages.end(),
                                          [](const auto& m) { return m.icon == MsgIcon::Error; });
          if (error == run.messages.end()) {
            // Completed: the same dialogs, answers and restart as without the failure.
            EXPECT_EQ(run.platformCalls, clean.platformCalls);
            return;
          }
          // A read failing after the command, as the journal records what it
          // left, is named as that, last, after the dialogs the command
          // itself shows (a restore's restart offer; Optimize's comes after).
          const std::string left = FormatMessage(kLeftNotRecorded, "");
          if (error->text.rfind(left, 0) == 0) {
            EXPECT_TRUE(IsStoreErrorText(error->text.substr(left.size()), kReadErrors));
            EXPECT_EQ(&*error, &run.messages.back());
            EXPECT_LE(run.messages.size(), clean.messages.size() + 1);
            return;
          }
          EXPECT_TRUE(IsStoreErrorText(error->text, *op.errors)) << error->text;
          EXPECT_EQ(error->caption, kAppTitle);
          // The error is the last word: no prompt, no success message, no restart.
          EXPECT_EQ(run.messages.size(), 1u) << run.messages.back().text;
          EXPECT_EQ(
              std::count_if(run.platformCalls.begin(), run.platformCalls.end(), IsRestartCall), 0);
        });
  }
}

// A key that cannot be opened or created must stop a writing command rather
// than let its next section writes resolve below the root (HKLM\0000,
// HKLM\MSTCP, HKLM\cachesize, HKCU\Internet Zelvora) and then report
// success.
TEST(FaultInjection, NoWriteLandsOutsideTheKeysOfACleanRun) {
  for (const Operation& op : Operations()) {
    ForEachFailure(op, {kRegAccessDenied}, [&](const Outcome& clean, const Outcome& run) {
      const Entries stray = Stray(run.after, run.before, clean.after);
      EXPECT_EQ(stray, Entries{}) << "values a run without the failure does not leave:"
                                  << Show(stray);
      EXPECT_EQ(Stray(run.keysAfter, run.keysBefore, clean.keysAfter), std::vector<std::string>{});
    });
  }
}

// A denied read, write or removal, or a value that grows between the size
// query and the read, is either reported or makes no difference: a command
// that reports success leaves what the run without the failure leaves, and
// Backup saves what the registry holds (never an unreadable value as
// absent). One that reports failure after a denied read has written nothing.
TEST(FaultInjection, SuccessIsReportedOnlyWhenNothingWasLost) {
  const auto reg = [](const Outcome& o) {
    const auto it = o.filesAfter.find("C:\\Program Files\\Internet Zelvora\\Backup\\Registry.reg");
    return it == o.filesAfter.end() ? std::string() : it->second;
  };
  for (const Operation& op : Operations()) {
    const std::string name = op.name;
    if (name.rfind("Restore", 0) != 0 && name != "Backup") continue;
    const Outcome clean = RunOnce(op, 0, kRegOk);
    SCOPED_TRACE(op.name);
    for (const Fault fault : {Fault::Fail, Fault::Grow}) {
      if (fault == Fault::Grow && name != "Backup") continue;  // only Backup reads values
      for (int n = 1; n <= clean.calls; ++n) {
        const Outcome run = RunOnce(op, n, kRegAccessDenied, fault, clean.journaled);
        SCOPED_TRACE("call " + std::to_string(n) + " (" + run.failedCall + ")" +
                     (fault == Fault::Grow ? " grows" : " denied"));
        const bool reported = std::any_of(run.messages.begin(), run.messages.end(),
                                          [](const auto& m) { return m.icon == MsgIcon::Error; });
        if (fault == Fault::Grow) {
          EXPECT_FALSE(reported) << run.messages.back().text;
          EXPECT_EQ(reg(run), name == "Backup" ? run.backupNow : reg(clean));
        } else if (reported) {
          if (name == "Backup") EXPECT_EQ(run.filesAfter, run.filesBefore);
        } else {
          EXPECT_EQ(run.after, clean.after);
          EXPECT_EQ(run.filesAfter, clean.filesAfter);
        }
      }
    }
  }
}

// A field that is not a whole number stops Optimize before its first
// write, whichever registry call would have failed.
TEST(FaultInjection, AnInvalidFieldWritesNothingWhateverFails) {
  struct Row {
    VersionInfo version;
    EditCtl Panel::*field;
    const char* text;
  };
  const Row rows[] = {
      {WinXP(), &Panel::customTtl, "abc"},
      {WinXP(), &Panel::customRwin, ""},
      {WinXP(), &Panel::customKeepAlive, "6OO"},
      {WinXP(), &Panel::customMtu, "99999999999999999999"},
      {WinXP(), &Panel::maxConnections, "$"},
      {WinXP(), &Panel::maxConnections10, "-0x"},
      {Win98SE(), &Panel::customRwin, "x"},
      {Win98SE(), &Panel::customKeepAlive, " "},
      {Win98SE(), &Panel::customMtu, "1e3"},
      {Win98SE(), &Panel::maxConnections, "0x"},
      {Win98SE(), &Panel::maxConnections10, "+-1"},
  };
  for (const Row& row : rows) {
    SCOPED_TRACE(std::string(row.version.platformId == kVerPlatformWin32NT ? "NT " : "98 ") + "'" +
                 row.text + "'");
    Operation optimize{"Optimize", row.version, nullptr, MsgAnswer::Yes, kOptimize, nullptr};
    optimize.setUp = [&](Rig& rig) {
      SeedStockNT(rig.registry);
      SeedStock9x(rig.registry);
      rig.w.Click(rig.w.cableDsl);
      (rig.w.*row.field).text = row.text;
    };
    const std::string expected = TIZelvora::ErrorReportText(FormatMessage(kNotAnInteger, row.text));
    // As many failure points as a valid run of the family has calls.
    const Operation valid = Operations()[row.version.platformId == kVerPlatformWin32NT ? 0 : 2];
    const int points = RunOnce(valid, 0, kRegOk).calls;
    for (int n = 0; n <= points; ++n) {
      const Outcome run = RunOnce(optimize, n, kRegAccessDenied);
      EXPECT_EQ(run.after, run.before) << "call " << n;
      EXPECT_EQ(run.keysAfter, run.keysBefore) << "call " << n;
      EXPECT_EQ(run.iniAfter, run.iniBefore) << "call " << n;
      ASSERT_EQ(run.messages.size(), 1u) << "call " << n;
      EXPECT_EQ(run.messages[0].text, expected);
      EXPECT_EQ(run.platformCalls.size(), 1u);
    }
  }
}

}  // namespace
}  // namespace iz::test

namespace iz::test {
namespace {

// Optimize cut off at any of its raw calls, after the journal's record: Undo
// puts back exactly the state from before it, values and ports alike.
TEST(FaultInjection, UndoAfterAnInterruptedOptimizeRestoresTheStateBefore) {
  for (const Operation& op : {Operations()[1], Operations()[3]}) {  // NT and 98, answered No
    SCOPED_TRACE(op.name);
    const int calls = RunOnce(op, 0, kRegOk).calls;
    ASSERT_GT(calls, 0);
    for (int n = 1; n <= calls; ++n) {
      Rig rig;
      rig.platform.version = op.version;
      op.setUp(rig);
      rig.registry.SetDword(kHKLM, map::kTcpipParametersKey, map::kDefaultTTL, 99);
      rig.registry.SetString(kHKLM, map::kMstcpKey, map::kDefaultTTL, "99");
      rig.registry.SetRaw(kHKLM, map::kVCacheKey, map::kStart, kRegBinary, {7, 7});
      rig.profiles.WriteString("", map::kSectionPorts, "COM2:", "300,n,8,1");
      const Entries before = rig.registry.Dump();
      const auto iniBefore = rig.profiles.entries;
      bool armed = false;
      rig.platform.afterWrite = [&](const std::string& path) {
        if (IsJournalRecord(path) && !armed) rig.registry.FailCall(n);
        armed = true;
      };
      rig.platform.answers = {op.answer};
      rig.w.Dispatch([&] { (rig.w.*op.run)(); });
      rig.platform.afterWrite = nullptr;
      rig.registry.FailCall(0);  // a failure the command did not reach is not Undo's
      const Entries left = rig.registry.Dump();
      rig.platform.answers = {MsgAnswer::Yes};
      rig.w.Dispatch([&] { rig.w.OnUndoLastChange(); });
      // A failure that struck the journal's reading of what the command left
      // leaves a record that Undo refuses without changing anything.
      if (std::any_of(rig.platform.messages.begin(), rig.platform.messages.end(),
                      [](const FakePlatform::Message& m) {
                        return m.text.find("did not finish") != std::string::npos;
                      })) {
        EXPECT_EQ(rig.registry.Dump(), left) << "call " << n;
        continue;
      }
      EXPECT_EQ(rig.registry.Dump(), before) << "call " << n;
      EXPECT_EQ(rig.profiles.entries, iniBefore) << "call " << n;
      // Said before the panel's reading reports the odd VCACHE value: undone,
      // or nothing had to be put back where the first write failed.
      EXPECT_TRUE(std::any_of(rig.platform.messages.begin(), rig.platform.messages.end(),
                              [](const FakePlatform::Message& m) {
                                return m.text.find("change made by Optimize") != std::string::npos;
                              }))
          << "call " << n;
    }
  }
}

}  // namespace
}  // namespace iz::test
