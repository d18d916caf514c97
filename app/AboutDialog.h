// The About box: the program's icon and version, closed by OK or Esc.
#pragma once

#include <QDialog>

namespace twinseek {

class AboutDialog final : public QDialog {
    Q_OBJECT
public:
    explicit AboutDialog(QWidget* parent = nullptr);
};

}  // namespace twinseek
