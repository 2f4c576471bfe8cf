// Where the window keeps Report.html and Report.txt: beside the executable when that
// folder can be written, else in the user's data folder ($XDG_DATA_HOME/ambrel, or
// ~/.local/share/ambrel), so that an installed program still saves its reports. And the
// writing of a report file, with the system's reason when it fails.
#pragma once

#include <QString>
#include <string_view>

namespace ambrel {

// The folder to save into (ending in '/'), made when it is the user's data folder; empty
// when there is none, with why in *Problem.
QString ChooseReportFolder(const QString& ExeDir, QString* Problem);

// Replaces the file Path with Bytes. Returns why it could not be saved ("No space left on
// device", "Not a regular file"), the file then keeping what it held; nothing when saved.
QString WriteReportFile(const QString& Path, std::string_view Bytes);

}  // namespace ambrel
