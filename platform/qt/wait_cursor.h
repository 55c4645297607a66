#pragma once
// The wait cursor for the length of a scope, released on every way out (errors included).

#include <QCursor>
#include <QGuiApplication>

namespace krv {

class CWaitCursor {
public:
    CWaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

} // namespace krv
