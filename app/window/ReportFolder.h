// Where the window keeps Report.html and Report.txt: beside the executable when that
// folder can be written, else in the user's data folder ($XDG_DATA_HOME/ambrel, or
// ~/.local/share/ambrel), so that an installed program still saves its reports.
#pragma once

#include <QString>

namespace ambrel {

// The folder to save into (ending in '/'), made when it is the user's data folder; empty
// when there is none, with why in *Problem.
QString ChooseReportFolder(const QString& ExeDir, QString* Problem);

}  // namespace ambrel
