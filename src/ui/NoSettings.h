#pragma once

namespace vorn {

// The program keeps nothing between runs, yet Qt's file dialog writes its last folder and
// history into the user's configuration folder when it is destroyed. Sends every per-user
// settings file of this process into a private folder that is removed when the program
// ends. Call once after the QApplication exists; later calls do nothing.
void KeepNoSettings();

}  // namespace vorn
