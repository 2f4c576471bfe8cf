#include "app/SystemInfoThread.h"

#include "app/MediaSections.h"
#include "app/frmMain.h"
#include "sysinfo/SystemInfoSection.h"

namespace ambrel {

void TSystemInfoThread::Execute() {
  TMainForm& form = Form();
  TMultiWriter& writer = form.Writers().FSysInfoWriter;
  WriteSystemInfoSection(writer, form.SystemInfoProvider());
  HandOff([&] { form.LogSystemInfoDone(); });
  RunDirectShowFiltersSection(writer);
  HandOff([&] { form.LogDirectShowInfoDone(); });
  HandOff([&] { form.UpdateReport(); });
}

}  // namespace ambrel
