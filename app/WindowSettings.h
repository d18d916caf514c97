// Where the main window was and how its bands were laid out, kept between runs.
#pragma once

class QMainWindow;
class QSettings;
class QWidget;

namespace twinseek {

void RestorePlacement(QWidget& window, QSettings& settings);
void SavePlacement(const QWidget& window, QSettings& settings);
void RestoreBands(QMainWindow& window, QSettings& settings);
void SaveBands(const QMainWindow& window, QSettings& settings);

}  // namespace twinseek
