// Shows the wait cursor for as long as it lives, over a long operation run on
// the user interface thread.
#pragma once

#include <QCursor>
#include <QGuiApplication>

namespace twinseek {

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(QCursor(Qt::WaitCursor)); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

}  // namespace twinseek
