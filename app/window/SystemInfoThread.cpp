#include "app/window/SystemInfoThread.h"

#include "app/window/frmMain.h"
#include "dshow/DShowSections.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

void TSystemInfoThread::Execute() {
  TMainForm& form = Form();
  TMultiWriter& writer = form.Writers().FSysInfoWriter;
  RunSteps({
      OnWorker([&] { WriteSystemInfoSection(writer, form.SystemInfoProvider()); }),
      OnMain([&] { form.LogSystemInfoDone(); }),
      OnWorker([&] { WriteDirectShowFiltersSection(writer, *form.CreateMediaFramework()); }),
      OnMain([&] { form.LogDirectShowInfoDone(); }),
      OnMain([&] { form.UpdateReport(); }),
  });
}

}  // namespace ambrel
