#pragma once
// The one step every command that changes settings takes right before its
// first write, once everything that can stop it without a write has been
// checked (a field that is not a number, a saved file that is not valid):
// the journal records the state to go back to. The command's caller decides
// what the step does; the command only has to call it.
#include <exception>
#include <functional>

namespace iz {

using BeforeWriting = std::function<void()>;

// The names of the writing commands, as the journal's records carry them.
inline constexpr const char* kOptimizeCommand = "Optimize";
inline constexpr const char* kRestoreDefaultsCommand = "Restore Windows Defaults";
inline constexpr const char* kRestorePreviousCommand = "Restore previous settings";

// Raised by the step when the change is not to go ahead; the command ends
// without a write and without a message of its own.
class CommandStopped : public std::exception {
 public:
  const char* what() const noexcept override { return "stopped before writing"; }
};

}  // namespace iz
