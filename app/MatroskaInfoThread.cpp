#include "app/MatroskaInfoThread.h"

#include "app/MatroskaReport.h"
#include "app/MediaSections.h"
#include "app/frmMain.h"

namespace ambrel {

void TMatroskaInfoThread::Execute() {
  TMainForm& form = Form();
  TReportWriters& writers = form.Writers();
  WriteMatroskaInfo(form.FileName(), writers.FReportWriter, writers.FParsingLog, form.FriendlyNames());
  HandOff([&] { form.UpdateReport(); });
  HandOff([&] { form.LogParsingDone(); });
  RunRenderFileCheckSection(form.FileName(), writers.FReportWriter);
  HandOff([&] { form.LogRenderFileCheckDone(); });
  RunDetailedRenderingSection(form.FileName(), writers.FReportWriter);
  HandOff([&] { form.UpdateReport(); });
  HandOff([&] { form.LogDetailedRenderingDone(); });
}

}  // namespace ambrel
