// The desktop program: one window over one document. It reads no arguments,
// and ends with status 1 after the window's normal close.
#include "app/MainWindow.h"

#include <QApplication>

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    application.setApplicationName("Twinseek");
    application.setOrganizationName("Orvane");
    application.setQuitOnLastWindowClosed(false);
    int status = 0;
    {
        twinseek::MainWindow window;
        QObject::connect(&window, &twinseek::MainWindow::closedForGood, &application,
                         [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
        window.show();
        status = application.exec();
    }
    return status;
}
