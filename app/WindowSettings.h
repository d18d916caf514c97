// Keeps the main window's placement ("MainFramePos") and the layout of its two
// bars ("ReBar...") in the user's settings from one run to the next.
#pragma once

class QMainWindow;
class QSettings;
class QWidget;

namespace twinseek {

// Before the first show: puts the window where it was, no larger than the
// screen it opens on. Missing or damaged values leave it as it is; a place
// whose top edge the user could not reach moves to the middle of the primary screen.
void RestorePlacement(QWidget& window, QSettings& settings);
void SavePlacement(const QWidget& window, QSettings& settings);

// The bars are the window's tool bars "menuBand" (60160) and "toolBand"
// (60161) in the top area; their order, widths and row breaks are restored
// once both exist, and saved whether shown or hidden.
void RestoreBands(QMainWindow& window, QSettings& settings);
void SaveBands(const QMainWindow& window, QSettings& settings);

}  // namespace twinseek
