#pragma once

class QApplication;

// Loads and shows the main window and runs the application; the run ends with the main window, even
// if a window of some other part is still open. With quitAfterStart the main window is drawn once,
// then the run ends. Returns the application's exit code.
int runMainWindow(QApplication& app, bool quitAfterStart);
