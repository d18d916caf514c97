// The desktop program: one window over one document, which a file named on
// the command line fills at start. It ends with status 1 after the window's
// normal close, 0 after --help, and 2 on a command line it cannot follow.
#include "app/MainWindow.h"
#include "session/StartupArguments.h"

#include <QApplication>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

int main(int argc, char** argv) {
    // Help is given before the toolkit starts, so that it needs no display.
    if (twinseek::ParseStartupArguments(std::vector<std::string>(argv + std::min(argc, 1), argv + argc)).showHelp) {
        std::fputs(twinseek::kDesktopUsageText, stdout);
        return 0;
    }
    QApplication application(argc, argv);
    application.setApplicationName("Twinseek");
    application.setOrganizationName("Orvane");
    application.setQuitOnLastWindowClosed(false);

    // The toolkit has taken its own options out of argv; names stay bytes.
    const std::vector<std::string> arguments(argv + std::min(argc, 1), argv + argc);
    const twinseek::StartupRequest request = twinseek::ParseStartupArguments(arguments);
    if (!request.error.empty()) {
        std::fprintf(stderr, "%s\n%s", request.error.c_str(), twinseek::kDesktopUsageText);
        return 2;
    }

    int status = 0;
    {
        twinseek::MainWindow window;
        QObject::connect(&window, &twinseek::MainWindow::closedForGood, &application,
                         [] { QCoreApplication::exit(1); }, Qt::QueuedConnection);
        window.show();
        if (request.documentPath) {
            // Once the window is up, so that a failure's message stands over it.
            QMetaObject::invokeMethod(
                &window,
                [&window, path = *request.documentPath] {
                    window.Session().OpenFile(path);
                    window.RequestIdleUpdate();
                },
                Qt::QueuedConnection);
        }
        status = application.exec();
    }
    return status;
}
