// The desktop program: one window over one document. It reads no arguments.
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    twinseek::MainWindow window;
    window.show();
    return application.exec();
}
