#pragma once
// The device object as the connection runs it: finding the controller on a port, loading its
// data, remembering the port, the polling that feeds the readings store, and the
// reconnection after a lost link. Everything here runs on one thread at a time (the window's
// connection worker, or a command line's only thread) except the polling, which runs on a
// thread of its own or between the worker's jobs.

#include "connection/main_window.h"
#include "connection/polling_host.h"
#include "connection/port_search_report.h"
#include "device/lpg_device.h"

namespace krv {

class CLPGThreadManager;

class CLPGConnection : public CLPGDevice {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 256;
    static constexpr int kReadingsTimerMs = 100;
    static constexpr int kReconnectAfterLossMs = 1000;
    static constexpr int kReconnectRetryMs = 2000;

    explicit CLPGConnection(CLPGThreadManager& threads);
    // Ends the polling first: it must never outlive the device it reads.
    ~CLPGConnection() override;

    // Takes the window whose services the connection uses from now on, seeds the frame keys,
    // adds a frame-error category, then searches the ports. Everything below needs a window,
    // so connect comes first.
    void connect(IMainWindow& window);
    // Remembered port first, then every present port in ascending order; when none answers
    // the window offers the demo mode (or running without a controller).
    void scanPorts();
    // Open, configure and start a connection on port n; a port error counts as failure.
    bool tryPort(int portNumber);
    // Identify the controller and load its data. True once it identified itself.
    bool startLink();
    // The identification dialogue, including a controller waiting in its bootloader.
    bool identify();
    // Demo mode: every command succeeds without I/O; version 256, type 17.
    void startDemo();

    // The remembered port number, 0 when there is none.
    int readLastPort() const;
    void saveLastPort(int portNumber) const;

    // Where polling runs from now on (null: on a thread of its own); set while none runs.
    void setPollingHost(IPollingHost* host) { pollingHost_ = host; }
    // Starts polling and the readings timer (only while readings are enabled).
    void startPolling();
    // Ends the polling and stops the readings timer; returns once no sample is being read.
    void stopPolling();
    // Ends the polling without touching the window; for teardowns, which must end it before the
    // window's parts go, as the polling may still arm a timer.
    void endPolling();
    // The link is gone (the polling gave up, or an update left the controller where it cannot
    // be reached): the window's refresh shows it, and a reconnect is tried after a second.
    void markLinkLost();
    // Run by the reconnect timer: one attempt on the port of the last connection (the
    // remembered port when there was none), whether or not the settings file could keep it.
    void reconnect();
    // The port the controller last answered on in this run, 0 before any.
    int linkPort() const { return linkPort_; }

    IMainWindow* mainWindow = nullptr;
    // Consecutive failed readings of the polling; a new polling starts from the count the
    // previous one left.
    std::atomic<int> failureCount{0};
    // A controller of another type is reported once for the life of the connection (the
    // window's, so the process's), however many ports and searches find one.
    std::atomic<bool> foreignControllerReported{false};
    // Why each port of the last search gave no controller.
    CPortSearchReport searchReport;
    // What the command line asks of every search: a port tried first, in the remembered
    // port's place (0: none), or the demo without searching at all.
    struct StartChoice {
        int firstPort = 0;
        bool demo = false;
    };
    StartChoice startChoice;

private:
    CLPGThreadManager& threads_;
    IPollingHost* pollingHost_ = nullptr;
    int linkPort_ = 0;
};

} // namespace krv
