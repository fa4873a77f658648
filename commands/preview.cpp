// Preview Changes and Export as .reg File: Optimize's checks and applier,
// run on an in-memory copy instead of the real settings.
#include "commands/izelvora.h"
#include "commands/modern_tcp.h"
#include "model/os_kind.h"
#include "preview/dry_run.h"
#include "snapshot/snapshot.h"
#include "store/error.h"

namespace iz {

void TIZelvora::OnPreviewChanges() {
  if (!ConnectionTypeChosen()) return;
  // Computed before the dialog opens, so an invalid field is reported as
  // Optimize reports it and no dialog appears.
  const int kind = RunningKind();
  const std::vector<Adapter> ticked = TickedAdapters(kind);
  PreviewReport report = PreviewOptimize(*this, ticked, registry_, profiles_, kind);
  // From Vista on the interfaces' MTUs in force are netsh's, read off the
  // window's thread.
  NetshStep(platform_, kind, ticked,
            [&] { AddInterfaceMtuPreview(&report, registry_, platform_, kind, *this, ticked); });
  if (platform_.ShowPreview(report)) OnOptimize();
}

void TIZelvora::OnExportRegFile() {
  if (!ConnectionTypeChosen()) return;
  const int kind = RunningKind();
  const std::string text = ExportRegText(RecordOptimize(*this, kind), kind,
                                         {DateText(platform_.Now()), ProfileText(*this)});
  std::string path;
  if (!platform_.AskSaveRegFile(DefaultExportFileName(*this), &path)) return;
  if (!platform_.WriteFileAtomically(path, text)) throw Error(UnableToWriteText(platform_, path));
}

}  // namespace iz
