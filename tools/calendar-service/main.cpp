// The local calendar service: the protocol the client expects, on loopback only, for the demo
// and for the tests of the client. See README.md beside this file.
#include <pthread.h>
#include <signal.h>

#include <cstdio>
#include <exception>
#include <string>
#include <thread>
#include <vector>

#include "service_app.h"
#include "service_options.h"

using namespace tessel::service;

int main(int argc, char** argv) {
    ServiceOptions options;
    try {
        options = ParseServiceOptions(std::vector<std::string>(argv + 1, argv + argc));
    } catch (const EUsageError& error) {
        std::fprintf(stderr, "calendar-service: %s\n%s", error.what(), UsageText().c_str());
        return 2;
    }
    if (options.help) {
        std::fputs(UsageText().c_str(), stdout);
        return 0;
    }

    // Every thread started from here on inherits the blocked set, so the signals reach only the
    // waiting thread below and the service can stop in order.
    sigset_t stopSignals;
    sigemptyset(&stopSignals);
    sigaddset(&stopSignals, SIGINT);
    sigaddset(&stopSignals, SIGTERM);
    pthread_sigmask(SIG_BLOCK, &stopSignals, nullptr);
    signal(SIGPIPE, SIG_IGN);

    try {
        CalendarServiceApp app(options);
        app.Start();
        std::thread waiter([&] {
            int received = 0;
            sigwait(&stopSignals, &received);
            app.Stop();
        });
        app.WaitUntilStopped();
        waiter.join();
    } catch (const std::exception& error) {
        std::fprintf(stderr, "calendar-service: %s\n", error.what());
        return 1;
    }
    return 0;
}
