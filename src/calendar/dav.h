#pragma once
// The WebDAV side of a calendar server: the request bodies a reader of calendars sends
// (PROPFIND, the calendar-multiget and sync-collection REPORTs) and what it reads back from a
// 207 multistatus. Names are matched by namespace and local name, whatever prefixes the server
// chose ("D:href", "ns0:href" and a default namespace are the same element).
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessel {

// One <response> of a multistatus, with the properties this reader asks for. A property the
// server answered with anything but 200 is left empty.
struct TDavResource {
    std::string Href;  // as the server wrote it (escaped)
    // The response's own status (a member removed in a sync report answers 404); 200 when it
    // gave its properties in propstats instead.
    int32_t Status = 200;
    std::string ETag;
    std::string DisplayName;
    std::string Color;  // "#RRGGBB" or "#RRGGBBAA", as written
    std::string CTag;
    std::string SyncToken;
    std::string Principal;  // current-user-principal's href
    std::string HomeSet;    // calendar-home-set's first href
    std::string CalendarData;
    bool IsCalendar = false;
    // supported-calendar-component-set came, and whether it names VEVENT. A calendar without
    // the set takes every component.
    bool ListsComponents = false;
    bool TakesEvents = false;
};

struct TDavMultistatus {
    std::vector<TDavResource> Resources;
    // A sync report's new token.
    std::string SyncToken;
    // The server answered 507 for the collection itself: the report was cut short and the
    // token given goes on from where it stopped.
    bool Truncated = false;
};

// Reads a 207's body. False, with problem in the user's words, when it is not a multistatus
// document or is damaged; nothing is kept of it then.
bool ReadMultistatus(std::string_view body, TDavMultistatus& out, std::string& problem);

// Whether an error body (a 403 or 409) names the precondition, a DAV element of that local
// name ("valid-sync-token").
bool DavErrorNames(std::string_view body, std::string_view precondition);

// Request bodies.
std::string DavDiscoveryBody();   // PROPFIND: what discovery reads of an address, a principal or a home
std::string DavCollectionBody();  // PROPFIND: a calendar's ctag and token (Depth 0), members' ETags (Depth 1)
std::string DavSyncBody(std::string_view token);  // REPORT sync-collection from the token (empty: all)
std::string DavMultigetBody(const std::vector<std::string>& hrefs);  // REPORT calendar-multiget

// "#RRGGBB" or "#RRGGBBAA" as 0x00BBGGRR; false for anything else.
bool ParseDavColor(std::string_view text, uint32_t& color);

}  // namespace tessel
