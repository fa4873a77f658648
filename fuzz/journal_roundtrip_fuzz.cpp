// The journal's round trip: on a machine of either family, with or without
// adapters, whose values the input sets, the writer's record of a command
// that changes values (the input says which, and how) reads back whole, and
// Undo gives back the registry and Win.ini exactly as they were before. The
// first byte picks the machine and the command's name; the next half of the
// rest sets the machine, the other half the command's change. With
// IZ_WRITE_SEEDS=dir set, the records written are kept there (each with the
// byte that picks its machine first): the seeds of journal_fuzz.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <string>

#include "fuzz/journal_rig.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  const bool nt = (data[0] & 1) != 0, adapters = (data[0] & 2) != 0;
  const char* const commands[] = {iz::kOptimizeCommand, iz::kRestoreDefaultsCommand,
                                  iz::kRestorePreviousCommand};
  const char* command = commands[(data[0] >> 2) % 3];
  fuzz::Machine m(nt, adapters);
  const std::size_t half = (size - 1) / 2;
  fuzz::Scribble(m.registry, data + 1, half);
  if (half > 0 && data[1] & 1) {
    m.profiles.WriteString(iz::WinIniPath(m.profiles), iz::map::kSectionPorts,
                           "COM2:", "9600,n,8,1");
  }
  const auto before = m.registry.Dump();
  const auto keys = m.registry.Keys();
  const auto portsBefore = m.profiles.entries;

  iz::Journal journal(m.registry, m.profiles, m.platform);
  fuzz::Check(journal.Record(command).empty());
  // The command changes only what its record holds.
  const iz::map::System family = nt ? iz::map::System::NT : iz::map::System::Win9x;
  fuzz::Scribble(m.registry, data + 1 + half, size - 1 - half, &family);
  m.profiles.WriteString(iz::WinIniPath(m.profiles), iz::map::kSectionPorts,
                         "COM1:", "921600,n,8,1");
  fuzz::Check(journal.Finish().empty());
  if (const char* seeds = std::getenv("IZ_WRITE_SEEDS")) {
    std::ofstream out(std::string(seeds) + "/" + std::to_string(data[0] & 3) + "-" + command,
                      std::ios::binary);
    out << static_cast<char>(data[0] & 3) << m.Newest();
  }

  const iz::UndoPlan plan = journal.PlanUndo();
  fuzz::Check(plan.found && plan.damage.empty() && plan.failure.empty());
  const iz::UndoResult undone = journal.Undo(plan);
  fuzz::Check(undone.failures.empty());
  fuzz::Check(m.registry.Dump() == before);
  fuzz::Check(m.registry.Keys() == keys);
  fuzz::Check(m.profiles.entries == portsBefore);
  fuzz::Check(!journal.PlanUndo().found);
  return 0;
}
