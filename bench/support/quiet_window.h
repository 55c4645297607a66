#pragma once
// A main window that shows nothing and never offers the demo, for benchmarks that drive a
// connection without a user.

#include "connection/main_window.h"

#include <string>

namespace krv::bench {

class CQuietWindow : public IMainWindow {
public:
    bool chooseDemoMode() override { return false; }
    void startTimer(int, int) override {}
    void stopTimer(int) override {}
    bool updateFirmware(bool) override { return false; }
    void setStatusText(const std::u16string&) override {}
    void onReconnected() override {}
};

} // namespace krv::bench
