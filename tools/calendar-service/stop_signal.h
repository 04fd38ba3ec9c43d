#pragma once
// A one-way "the server is stopping" flag that every blocking wait of the server can watch: it
// is a pipe that becomes readable once raised, so poll() on a socket wakes up for it too.
#include "socket_handle.h"

namespace tessel::service {

class StopSignal {
public:
    StopSignal();
    StopSignal(const StopSignal&) = delete;
    StopSignal& operator=(const StopSignal&) = delete;

    void Raise();
    bool Raised() const;
    // Readable once raised; for poll().
    int WaitHandle() const { return readEnd_.get(); }
    // Sleeps up to milliseconds; false when the signal was raised before the time was up.
    bool SleepFor(int milliseconds) const;

private:
    SocketHandle readEnd_;
    SocketHandle writeEnd_;
};

}  // namespace tessel::service
