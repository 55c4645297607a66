#pragma once
// The device object as the connection runs it: finding the controller on a port, loading its
// data, remembering the port, the polling that feeds the readings store, and the
// reconnection after a lost link. Everything here runs on one thread at a time (the window's
// connection worker, or a command line's only thread) except the polling, which runs on a
// thread of its own or between the worker's jobs.

#include "connection/connection_host.h"
#include "connection/polling_host.h"
#include "connection/port_probe.h"
#include "connection/port_search_report.h"
#include "device/lpg_device.h"

#include <chrono>
#include <set>
#include <string>
#include <vector>

namespace krv {

class CLPGThreadManager;

class CLPGConnection : public CLPGDevice {
public:
    static constexpr int kFirstPort = 1;
    static constexpr int kLastPort = 256;
    static constexpr std::chrono::milliseconds kReconnectAfterLoss{1000};
    static constexpr std::chrono::milliseconds kReconnectRetry{2000};

    explicit CLPGConnection(CLPGThreadManager& threads);
    // Ends the polling first: it must never outlive the device it reads.
    ~CLPGConnection() override;

    // What a search does when no controller answers: offer the user the demo mode (or running
    // without a controller), or just end unconnected. The reconnect of an update ends
    // unconnected: it runs while the window waits for the update, and the window's own
    // reconnect takes over.
    enum class WhenNoneAnswers { OfferChoice, EndUnconnected };

    // Takes the host whose services the connection uses from now on, seeds the frame keys,
    // adds a frame-error category, then searches the ports (or starts the demo, when the start
    // choice says so). Everything below needs a host, so connect comes first.
    void connect(IConnectionHost& host,
                 WhenNoneAnswers whenNoneAnswers = WhenNoneAnswers::OfferChoice);
    // Every present port is asked at once; the remembered port first, then every present port
    // in ascending order is the order of preference for the connection. When none answers
    // the host offers the demo mode (or running without a controller), if asked to. A
    // controller that identified itself but whose data could not be read is not given up for
    // the demo: it is retried as a lost link.
    void scanPorts(WhenNoneAnswers whenNoneAnswers = WhenNoneAnswers::OfferChoice);
    // After running without a controller (the window asks every two seconds): the ports that
    // are new in the port table or back since the last look are tried, all at once; a port
    // that stayed silent is not opened again until it goes and comes back. True once a
    // controller answered and its data was read (the caller starts the polling); a controller
    // whose data could not be read is retried as a lost link.
    bool lookForNewPorts();
    // Open, configure and start a connection on port n; a port error counts as failure.
    bool tryPort(int portNumber);
    // Identify the controller and read its settings, map and axes; true, and the host told
    // what was read, only when all of it was.
    bool startLink();
    // The identification dialogue, including a controller waiting in its bootloader.
    bool identify();
    // Demo mode: every command succeeds without I/O; version 256, type 17, an empty map.
    void startDemo();

    // The remembered port number, 0 when there is none.
    int readLastPort() const;
    void saveLastPort(int portNumber) const;

    // Where polling runs from now on (null: on a thread of its own); set while none runs.
    void setPollingHost(IPollingHost* host) { pollingHost_ = host; }
    // Starts polling and tells the host the readings flow (only while readings are enabled).
    void startPolling();
    // Ends the polling and tells the host; returns once no sample is being read.
    void stopPolling();
    // Ends the polling without telling the host; for teardowns, which must end it before the
    // host's parts go, as the polling may still send an event.
    void endPolling();
    // The link is gone (the polling gave up, an update left the controller where it cannot be
    // reached, or its data could not be read): the host's refresh shows it, and a reconnect is
    // asked for after a second.
    void markLinkLost();
    // Run when the host's reconnect pause has passed: one attempt on the port of the last
    // connection (the remembered port when there was none), whether or not the settings file
    // could keep it.
    void reconnect();
    // From any thread: the waits of the port and of a search's probes, now and until
    // resumeWaits, end at once.
    void interruptWaits();
    void resumeWaits();
    // The port the controller last answered on in this run, 0 before any.
    int linkPort() const { return linkPort_; }
    // The port table as this connection sees it: the system's, with the start choice's
    // added port at its end.
    std::vector<std::string> portTable() const;

    IConnectionHost* host = nullptr;
    // Consecutive failed readings of the polling; a new polling starts from the count the
    // previous one left.
    std::atomic<int> failureCount{0};
    // A controller of another type is reported once for the life of the connection (the
    // window's, so the process's), however many ports and searches find one.
    std::atomic<bool> foreignControllerReported{false};
    // Why each port of the last search gave no controller.
    CPortSearchReport searchReport;
    // What the command line asks of every search: a port tried first, in the remembered
    // port's place (0: none), or that port alone; a path added at the end of the port table;
    // or the demo without searching at all.
    struct StartChoice {
        int firstPort = 0;
        bool onlyFirstPort = false;
        std::string addedPort;
        bool demo = false;
    };
    StartChoice startChoice;

private:
    // The numbers of the present ports the searches may look at, in ascending order; the
    // absent ones are noted in absentTo when given.
    std::vector<int> presentPorts(const std::vector<std::string>& table,
                                  CPortSearchReport* absentTo) const;
    // Asks every port of order at once, then connects for real to the first in order that
    // answered (a port may come twice: the remembered one first, then in its place).
    bool connectFirstAnswering(const std::vector<int>& order,
                               const std::vector<std::string>& table);
    // Reads the settings, map and axes of a controller that identified itself; on success the
    // link is up and the host has them.
    bool loadControllerData();

    CLPGThreadManager& threads_;
    IPollingHost* pollingHost_ = nullptr;
    int linkPort_ = 0;
    // The port of the search's controller that identified itself but could not be read.
    int unreadPort_ = 0;
    // The paths of the ports that were present at the last search or look.
    std::set<std::string> portsSeen_;
    CProbeWaits probeWaits_;
};

} // namespace krv
