#include "app/window/SystemInfoThread.h"

#include "app/window/frmMain.h"
#include "dshow/FrameworkSections.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

void TSystemInfoThread::Execute() {
  TMainForm& form = Form();
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
