#pragma once
// The substitute platform for native tests: records every call as a line of
// text and answers from a script the test sets up.
#include <deque>
#include <functional>
#include <map>
#include <set>
#include <stdexcept>
#include <string>
#include <vector>

#include "model/platform.h"
#include "shared/fakes.h"

namespace iz::test {

class FakePlatform : public Platform {
 public:
  // --- script
  bool versionOk = true;
  VersionInfo version = WinXP();
  std::deque<MsgAnswer> answers;  // popped by MessageBox; empty: Ok / No
  bool noticeThrows = false;
  bool openTokenOk = true, lookupOk = true, exitOk = true, shellOk = true;
  std::string systemDirectory = "C:\\WINDOWS\\system32";
  std::string lastError = "Access is denied";
  std::string programPath = "C:\\Program Files\\Internet Zelvora\\InternetZelvora.exe";
  std::set<std::string> directories;         // existing directories
  std::map<std::string, std::string> files;  // existing files and their content
  std::set<std::string> readOnly;            // files that cannot be overwritten
  std::set<std::string> undeletable;         // files that cannot be deleted, but renamed
  std::set<std::string> failCopyTo;          // copies to these paths fail
  bool previewOptimizes = false;             // the preview is left by "&Optimize"
  std::string saveAs;                        // the Save As answer; "": cancelled
  std::set<std::string> links;               // reparse points
  std::set<std::string> lockedFolders;       // cannot be created, nor written or listed in
  DateTime now{2026, 12, 7, 14, 3, 12};
  int mtuToUse = 0;  // the window's "&Use as Custom MTU" is pressed with it; 0: closed
  std::string mtuUsedText;  // what the window's status line said after it
  std::string userName = "alice";
  std::vector<MtuInUse> mtusInUse;
  // The adapters window: how the user leaves the rows (the ticks by row), or
  // cancels it.
  std::function<bool(std::vector<AdapterRow>* rows)> adaptersWindow;
  // The modern TCP settings' window: what the user does in it, given its
  // rows and its Apply.
  std::function<void(std::vector<TcpSettingRow>* rows,
                      const std::function<std::string(std::vector<TcpSettingRow>*)>& apply)>
      modernTcpWindow;
  std::string modernTcpNote;  // what the window said after its reading
  int waiting = 0;             // inside RunWaiting
  int runsWhileWaiting = 0;    // programs run inside RunWaiting
  std::set<std::string> foldersOpenToOthers;  // CheckFolder answers OpenToOthers
  bool securityChecked = true;                // false: Unchecked, as on 9x
  bool writerLockHeld = false;                // another copy holds the writer lock
  std::string writerLockStranger;             // the account that made the lock, not a trusted one
  // Programs run hidden: answers with the exit code and the output; unset:
  // the program cannot be started.
  std::function<bool(const std::string& program, const std::string& arguments,
                     std::uint32_t* exitCode, std::string* output)>
      runHidden;
  // Where set, it answers instead, with how the run ended (a hang, a flood).
  std::function<RunEnd(const std::string& program, const std::string& arguments,
                       std::uint32_t* exitCode, std::string* output)>
      runEnd;
  // The limits the last run was given: time in milliseconds, output in bytes.
  std::pair<std::uint32_t, std::size_t> lastRunLimits;

  // Runs after each file written (after the write, whatever its result).
  std::function<void(const std::string& path)> afterWrite;

  // --- record
  std::vector<std::string> calls;
  // The calls on the journal's folder, kept apart so that a command's own
  // calls read as they do without it.
  std::vector<std::string> journalCalls;
  struct Message {
    std::string text, caption;
    MsgIcon icon;
    MsgButtons buttons;
  };
  std::vector<Message> messages;
  int noticesShown = 0, aboutBoxesShown = 0;
  std::vector<PreviewReport> previews;
  std::vector<std::string> suggestedNames;
  std::vector<std::vector<AdapterRow>> adapterWindows;  // the rows each window showed
  int writerLocks = 0;                                  // taken and not released
  std::vector<std::string> runs;                        // "program arguments", each run

  void SetVersion(std::uint32_t platformId, std::uint32_t major, std::uint32_t minor,
                  std::string csd = "", std::uint32_t build = 0) {
    version = VersionInfo{platformId, major, minor, std::move(csd), build};
  }

  bool GetVersion(VersionInfo& info) override {
    if (!versionOk) return false;
    info = version;
    return true;
  }
  MsgAnswer MessageBox(const std::string& text, const std::string& caption, MsgIcon icon,
                       MsgButtons buttons) override {
    messages.push_back({text, caption, icon, buttons});
    calls.push_back("MessageBox " + caption + ": " + text);
    if (!answers.empty()) {
      MsgAnswer a = answers.front();
      answers.pop_front();
      return a;
    }
    return buttons == MsgButtons::YesNo ? MsgAnswer::No : MsgAnswer::Ok;
  }
  void ShowFirstRunNotice() override {
    ++noticesShown;
    calls.push_back("ShowFirstRunNotice");
    if (noticeThrows) throw std::runtime_error("notice failed");
  }
  void ShowAboutBox() override {
    ++aboutBoxesShown;
    calls.push_back("ShowAboutBox");
  }
  bool ShellOpen(Owner owner, const std::string& file, const std::string& params) override {
    calls.push_back(std::string("ShellOpen ") + (owner == Owner::MainWindow ? "main" : "about") +
                    " open \"" + file + "\" \"" + params + "\"");
    return shellOk;
  }
  std::string LastErrorText() override { return lastError; }
  std::string SystemDirectory() override { return systemDirectory; }
  bool OpenProcessToken(std::uint32_t access) override {
    calls.push_back("OpenProcessToken " + std::to_string(access));
    return openTokenOk;
  }
  bool LookupPrivilegeValue(const std::string& name) override {
    calls.push_back("LookupPrivilegeValue " + name);
    return lookupOk;
  }
  bool AdjustTokenPrivileges(std::uint32_t attributes) override {
    calls.push_back("AdjustTokenPrivileges " + std::to_string(attributes));
    return true;
  }
  void CloseToken() override { calls.push_back("CloseToken"); }
  bool ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) override {
    calls.push_back("ExitWindowsEx " + std::to_string(flags) + " " + std::to_string(reason));
    return exitOk;
  }
  void CloseMainWindow() override { calls.push_back("CloseMainWindow"); }
  void ApplyTheming() override { calls.push_back("ApplyTheming"); }

  std::string ProgramPath() override { return programPath; }
  bool DirectoryExists(const std::string& path) override { return directories.count(path) > 0; }
  bool FileExists(const std::string& path) override { return files.count(path) > 0; }
  bool IsReparsePoint(const std::string& path) override { return links.count(path) > 0; }
  bool CreateDirectory(const std::string& path) override {
    Log("CreateDirectory " + path, path);
    if (lockedFolders.count(path)) return false;
    return directories.insert(path).second;
  }
  bool SetFileAttributes(const std::string& path, std::uint32_t attributes) override {
    calls.push_back("SetFileAttributes " + path + " " + std::to_string(attributes));
    if (!files.count(path)) return false;
    if (attributes == kFileAttributeNormal) readOnly.erase(path);
    return true;
  }
  bool CopyFile(const std::string& from, const std::string& to, bool failIfExists) override {
    calls.push_back("CopyFile " + from + " -> " + to);
    auto src = files.find(from);
    if (src == files.end() || failCopyTo.count(to) || readOnly.count(to)) return false;
    if (failIfExists && files.count(to)) return false;
    files[to] = src->second;
    return true;
  }
  bool CopyFileAtomically(const std::string& from, const std::string& to) override {
    calls.push_back("CopyFileAtomically " + from + " -> " + to);
    auto src = files.find(from);
    if (src == files.end() || failCopyTo.count(to) || readOnly.count(to)) return false;
    files[to] = src->second;
    return true;
  }
  bool WriteFileAtomically(const std::string& path, const std::string& content) override {
    Log("WriteFile " + path, path);
    const std::string folder = path.substr(0, path.rfind('\\'));
    const bool ok =
        !failCopyTo.count(path) && !readOnly.count(path) && !lockedFolders.count(folder);
    if (ok) files[path] = content;
    if (afterWrite) afterWrite(path);
    return ok;
  }
  FileRead ReadFile(const std::string& path, std::string* content,
                    std::uint64_t maxBytes) override {
    auto it = files.find(path);
    if (it == files.end()) return FileRead::Failed;
    if (it->second.size() > maxBytes) return FileRead::TooLarge;
    *content = it->second;
    return FileRead::Ok;
  }
  bool ShowPreview(const PreviewReport& report) override {
    previews.push_back(report);
    calls.push_back("ShowPreview " + report.Summary());
    return previewOptimizes;
  }
  bool AskSaveRegFile(const std::string& suggestedName, std::string* path) override {
    suggestedNames.push_back(suggestedName);
    calls.push_back("AskSaveRegFile " + suggestedName);
    *path = saveAs;
    return !saveAs.empty();
  }
  bool ListFiles(const std::string& folder, std::vector<std::string>* names) override {
    names->clear();
    if (lockedFolders.count(folder) || !directories.count(folder)) return false;
    const std::string head = folder + "\\";
    for (const auto& [path, content] : files) {
      if (path.compare(0, head.size(), head) == 0 && path.find('\\', head.size()) == path.npos)
        names->push_back(path.substr(head.size()));
    }
    return true;
  }
  bool DeleteFile(const std::string& path) override {
    Log("DeleteFile " + path, path);
    return !readOnly.count(path) && !undeletable.count(path) && files.erase(path) > 0;
  }
  bool RenameFile(const std::string& from, const std::string& to) override {
    Log("RenameFile " + from + " -> " + to, to);
    auto src = files.find(from);
    if (src == files.end() || files.count(to) || failCopyTo.count(to) || readOnly.count(from))
      return false;
    files[to] = src->second;
    files.erase(src);
    return true;
  }
  bool WriteNewFileAtomically(const std::string& path, const std::string& content) override {
    if (files.count(path)) {
      Log("WriteNewFile " + path + " (exists)", path);
      return false;
    }
    return WriteFileAtomically(path, content);
  }
  DateTime Now() override { return now; }
  void ShowFindMtu(const std::function<std::string(int)>& useMtu) override {
    calls.push_back("ShowFindMtu");
    if (mtuToUse) mtuUsedText = useMtu(mtuToUse);
  }
  std::string UserName() override { return userName; }
  std::vector<MtuInUse> MtusInUse() override { return mtusInUse; }
  // The window reads as it opens; what it said is kept, and it closes
  // where the reading failed.
  void ShowModernTcp(std::vector<TcpSettingRow>* rows, const TcpRowsWork& read,
                     const TcpRowsWork& apply) override {
    calls.push_back("ShowModernTcp " + std::to_string(rows->size()) + " rows");
    modernTcpNote = read(rows);
    if (!modernTcpNote.empty() && modernTcpWindow) modernTcpWindow(rows, apply);
  }
  bool ShowAdapters(std::vector<AdapterRow>* rows) override {
    adapterWindows.push_back(*rows);
    calls.push_back("ShowAdapters");
    return adaptersWindow && adaptersWindow(rows);
  }
  void RunWaiting(const std::function<void()>& work) override {
    ++waiting;
    try {
      work();
    } catch (...) {
      --waiting;
      throw;
    }
    --waiting;
  }
  bool CreateAdminsOnlyFolder(const std::string& path) override {
    Log("CreateAdminsOnlyFolder " + path, path);
    if (lockedFolders.count(path)) return false;
    return directories.insert(path).second;
  }
  FolderSafety CheckFolder(const std::string& path) override {
    if (!securityChecked) return FolderSafety::Unchecked;
    return foldersOpenToOthers.count(path) ? FolderSafety::OpenToOthers : FolderSafety::AdminsOnly;
  }
  bool TakeWriterLock(std::string* stranger) override {
    *stranger = writerLockStranger;
    if (writerLockHeld) return false;
    ++writerLocks;
    return true;
  }
  void ReleaseWriterLock() override { --writerLocks; }
  // Netsh's own code page, told apart from the program's: every byte
  // above 0x7F of a script is marked.
  std::string ConsoleText(const std::string& text) override {
    std::string out;
    for (char c : text) out += static_cast<unsigned char>(c) > 0x7F ? std::string("<oem>") + c : std::string(1, c);
    return out;
  }
  RunEnd RunHidden(const std::string& program, const std::string& arguments,
                   std::uint32_t timeoutMs, std::size_t maxOutput, std::uint32_t* exitCode,
                   std::string* output) override {
    runs.push_back(program + " " + arguments);
    runsWhileWaiting += waiting > 0;
    lastRunLimits = {timeoutMs, maxOutput};
    if (runEnd) return runEnd(program, arguments, exitCode, output);
    return runHidden && runHidden(program, arguments, exitCode, output) ? RunEnd::Finished
                                                                        : RunEnd::NotStarted;
  }

 private:
  void Log(const std::string& line, const std::string& path) {
    (path.find("\\Backup\\History") != path.npos ? journalCalls : calls).push_back(line);
  }
};

}  // namespace iz::test
