#include "app/form/SystemInfoThread.h"

#include "app/form/AnalysisForm.h"
#include "dshow/FrameworkSections.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

void TSystemInfoThread::Execute() {
  TAnalysisForm& form = Form();
  TMultiWriter& writer = form.Writers().FSysInfoWriter;
  RunSteps({
      OnWorker([&] { WriteSystemInfoSection(writer, form.SystemInfoProvider()); }),
      OnMain([&] { form.LogSystemInfoDone(); }),
      OnWorker([&] { form.CreateFrameworkSections()->WriteFilterLists(writer); }),
      OnMain([&] { form.LogDirectShowInfoDone(); }),
      OnMain([&] { form.UpdateReport(); }),
  });
}

}  // namespace ambrel
