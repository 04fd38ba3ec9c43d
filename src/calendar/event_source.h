#pragma once
// One place events come from beside the service: a subscription, or a calendar of a CalDAV
// account. A source keeps its own events, its last good copy on disk and its last failure; the
// merged list (TEventSources) asks each in turn.
//
// A sync goes one request at a time, so that every source's requests go out side by side, round
// by round: BeginSync, then Next and Take until Next has nothing more to send, then EndSync. A
// slow or failing server fails only its own calendars; it delays the others' next round at most
// by its time limit.
#include <cstddef>
#include <string>

#include "base/date_time.h"
#include "calendar/event.h"
#include "calendar/http.h"

namespace tessel {

class TEventSource {
public:
    virtual ~TEventSource() = default;

    // The name the status line and the lists give it.
    virtual std::string Title() const = 0;
    // The address the user's settings key it by (the dialog's rows, what was passed over).
    virtual const std::string& Address() const = 0;
    virtual bool Shown() const = 0;
    // Two sources of the same identity show the same events from the same copy: a reload keeps
    // such a source as it is.
    virtual std::string Identity() const = 0;
    virtual std::u16string CachePath() const = 0;

    // Reads the last good copy and expands it, without the network. A missing or damaged copy
    // leaves the events empty; the next sync fetches the whole.
    virtual void LoadCache(TDateTime date) = 0;

    virtual void BeginSync(TDateTime date) = 0;
    virtual bool Next(THttpRequest& request) = 0;
    virtual void Take(THttpResponse response) = 0;
    // Makes the events of what came for the window around date. On failure the events and the
    // copy stay as they were and Failure says why.
    virtual void EndSync(TDateTime date) = 0;

    virtual const EventList& Events() const = 0;
    // Why the last sync failed, in the user's words; empty after one that worked.
    virtual const std::string& Failure() const = 0;
    // The status line of a failure: "Title: failure".
    virtual std::string FailureLine() const { return Title() + ": " + Failure(); }
    // What reading the copy passed over (lines, values, components): how many, and the first.
    virtual size_t SkippedCount() const { return 0; }
    virtual std::string FirstSkipped() const { return {}; }
    // How many times a body was read as a calendar (the copy's and the network's).
    virtual int ParseCount() const = 0;

    // The whole sync of this source alone, one request after the other.
    void Sync(THttp& http, TDateTime date);
};

}  // namespace tessel
