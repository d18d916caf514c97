#include "app/WindowSettings.h"

namespace twinseek {

// Placeholders until the settings are read and written.
void RestorePlacement(QWidget&, QSettings&) {}
void SavePlacement(const QWidget&, QSettings&) {}
void RestoreBands(QMainWindow&, QSettings&) {}
void SaveBands(const QMainWindow&, QSettings&) {}

}  // namespace twinseek
