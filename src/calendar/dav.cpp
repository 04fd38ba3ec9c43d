#include "calendar/dav.h"

#include <exception>

#include "base/text.h"
#include "xml/xdata_node.h"
#include "xml/xml_entities.h"

namespace tessel {

namespace {

constexpr std::u16string_view kDav = u"DAV:";
constexpr std::u16string_view kCalDav = u"urn:ietf:params:xml:ns:caldav";
constexpr std::u16string_view kCalendarServer = u"http://calendarserver.org/ns/";
constexpr std::u16string_view kAppleIcal = u"http://apple.com/ns/ical/";

// The namespace a prefix stands for where node is, declared on it or on one of its ancestors.
std::u16string NamespaceOf(const TxdataNode* node, std::u16string_view prefix) {
    std::u16string attribute = u"xmlns";
    if (!prefix.empty()) {
        attribute += u':';
        attribute += prefix;
    }
    for (; node; node = node->Parent()) {
        for (size_t i = 0; i < node->AttributeCount(); ++i) {
            const std::u16string entry = node->AttributeEntry(i);  // name="value"
            const size_t equals = entry.find(u'=');
            if (equals == std::u16string::npos || std::u16string_view(entry).substr(0, equals) != attribute) continue;
            return node->GetAttribute(attribute);
        }
    }
    return {};
}

bool Is(const TxdataNode& node, std::u16string_view space, std::u16string_view local) {
    const std::u16string& name = node.Name();
    const size_t colon = name.find(u':');
    const std::u16string_view own = colon == std::u16string::npos ? std::u16string_view(name)
                                                                  : std::u16string_view(name).substr(colon + 1);
    if (own != local) return false;
    const std::u16string_view prefix =
        colon == std::u16string::npos ? std::u16string_view() : std::u16string_view(name).substr(0, colon);
    return NamespaceOf(&node, prefix) == space;
}

template <typename Visit>
void ForEachChild(const TxdataNode& node, Visit visit) {
    for (size_t i = 0; i < node.ChildCount(); ++i)
        if (const auto* child = dynamic_cast<const TxdataNode*>(node.Child(i))) visit(*child);
}

const TxdataNode* FindChild(const TxdataNode& node, std::u16string_view space, std::u16string_view local) {
    for (size_t i = 0; i < node.ChildCount(); ++i) {
        const auto* child = dynamic_cast<const TxdataNode*>(node.Child(i));
        if (child && Is(*child, space, local)) return child;
    }
    return nullptr;
}

std::string TextOf(const TxdataNode& node) { return Trim(node.Utf8Text()); }

std::string HrefIn(const TxdataNode& node) {
    const TxdataNode* href = FindChild(node, kDav, u"href");
    return href ? TextOf(*href) : std::string();
}

// "HTTP/1.1 404 Not Found" -> 404; 0 when it is no status line.
int32_t StatusCode(std::string_view line) {
    const size_t space = line.find(' ');
    if (space == std::string_view::npos || line.size() < space + 4) return 0;
    int32_t code = 0;
    for (char c : line.substr(space + 1, 3)) {
        if (c < '0' || c > '9') return 0;
        code = code * 10 + (c - '0');
    }
    return code;
}

void ReadProperty(const TxdataNode& property, TDavResource& resource) {
    if (Is(property, kDav, u"getetag")) {
        resource.ETag = TextOf(property);
    } else if (Is(property, kDav, u"displayname")) {
        resource.DisplayName = TextOf(property);
    } else if (Is(property, kAppleIcal, u"calendar-color")) {
        resource.Color = TextOf(property);
    } else if (Is(property, kCalendarServer, u"getctag")) {
        resource.CTag = TextOf(property);
    } else if (Is(property, kDav, u"sync-token")) {
        resource.SyncToken = TextOf(property);
    } else if (Is(property, kDav, u"current-user-principal")) {
        resource.Principal = HrefIn(property);
    } else if (Is(property, kCalDav, u"calendar-home-set")) {
        resource.HomeSet = HrefIn(property);
    } else if (Is(property, kCalDav, u"calendar-data")) {
        resource.CalendarData = property.Utf8Text();
    } else if (Is(property, kDav, u"resourcetype")) {
        resource.IsCalendar = FindChild(property, kCalDav, u"calendar") != nullptr;
    } else if (Is(property, kCalDav, u"supported-calendar-component-set")) {
        resource.ListsComponents = true;
        ForEachChild(property, [&](const TxdataNode& comp) {
            if (Is(comp, kCalDav, u"comp") && LowerAscii(Narrow(comp.GetAttribute(u"name"))) == "vevent")
                resource.TakesEvents = true;
        });
    }
}

TDavResource ReadResponse(const TxdataNode& response) {
    TDavResource resource;
    resource.Href = HrefIn(response);
    if (const TxdataNode* status = FindChild(response, kDav, u"status")) resource.Status = StatusCode(TextOf(*status));
    ForEachChild(response, [&](const TxdataNode& propstat) {
        if (!Is(propstat, kDav, u"propstat")) return;
        const TxdataNode* status = FindChild(propstat, kDav, u"status");
        const TxdataNode* prop = FindChild(propstat, kDav, u"prop");
        if (!status || !prop || StatusCode(TextOf(*status)) != 200) return;
        ForEachChild(*prop, [&](const TxdataNode& property) { ReadProperty(property, resource); });
    });
    return resource;
}

}  // namespace

namespace {

// Whether the text ends with the closing tag of an element of that local name. The parser mends
// a document cut short; a listing cut short would drop the members it did not reach.
bool EndsWithClosing(std::string_view text, std::string_view local) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\r' || text.back() == '\n' || text.back() == '\t'))
        text.remove_suffix(1);
    const size_t open = text.rfind("</");
    if (open == std::string_view::npos || !text.ends_with(">")) return false;
    std::string_view name = text.substr(open + 2, text.size() - open - 3);
    while (!name.empty() && name.back() == ' ') name.remove_suffix(1);
    if (const size_t colon = name.find(':'); colon != std::string_view::npos) name.remove_prefix(colon + 1);
    return name == local;
}

}  // namespace

bool ReadMultistatus(std::string_view body, TDavMultistatus& out, std::string& problem) {
    TDavMultistatus read;
    TxdataNode root;
    try {
        // Each response is read as it completes and freed: a listing of fifty thousand members
        // never stands as one tree.
        root.LoadFromBytes(body, [&](const TxdataNode& child) {
            if (Is(child, kDav, u"response")) {
                TDavResource resource = ReadResponse(child);
                if (resource.Status == 507) read.Truncated = true;
                else if (!resource.Href.empty()) read.Resources.push_back(std::move(resource));
                return true;
            }
            if (Is(child, kDav, u"sync-token")) read.SyncToken = TextOf(child);
            return true;
        });
    } catch (const std::exception& e) {
        problem = "the server's answer is damaged (";
        problem += e.what();
        problem += ")";
        return false;
    }
    if (!Is(root, kDav, u"multistatus")) {
        problem = "the server's answer is not a WebDAV listing";
        return false;
    }
    if (!EndsWithClosing(body, "multistatus")) {
        problem = "the server's answer is damaged (it is cut short)";
        return false;
    }
    out = std::move(read);
    return true;
}

bool DavErrorNames(std::string_view body, std::string_view precondition) {
    TxdataNode root;
    try {
        root.LoadFromBytes(body);
    } catch (const std::exception&) {
        return false;
    }
    if (!Is(root, kDav, u"error")) return false;
    const std::u16string local = Widen(precondition);
    return FindChild(root, kDav, local) != nullptr;
}

namespace {

constexpr std::string_view kXmlHead = "<?xml version=\"1.0\" encoding=\"utf-8\"?>\n";
constexpr std::string_view kNamespaces =
    " xmlns:d=\"DAV:\" xmlns:c=\"urn:ietf:params:xml:ns:caldav\" xmlns:cs=\"http://calendarserver.org/ns/\""
    " xmlns:i=\"http://apple.com/ns/ical/\"";

std::string PropfindBody(std::string_view properties) {
    std::string body(kXmlHead);
    body += "<d:propfind";
    body += kNamespaces;
    body += "><d:prop>";
    body += properties;
    body += "</d:prop></d:propfind>";
    return body;
}

}  // namespace

std::string DavDiscoveryBody() {
    return PropfindBody(
        "<d:resourcetype/><d:current-user-principal/><c:calendar-home-set/><d:displayname/>"
        "<i:calendar-color/><c:supported-calendar-component-set/>");
}

std::string DavCollectionBody() { return PropfindBody("<d:getetag/><cs:getctag/><d:sync-token/>"); }

std::string DavSyncBody(std::string_view token) {
    std::string body(kXmlHead);
    body += "<d:sync-collection";
    body += kNamespaces;
    body += "><d:sync-token>";
    xml_entities::AppendEscaped(body, token);
    body += "</d:sync-token><d:sync-level>1</d:sync-level>";
    body += "<d:prop><d:getetag/></d:prop></d:sync-collection>";
    return body;
}

std::string DavMultigetBody(const std::vector<std::string>& hrefs) {
    std::string body(kXmlHead);
    body += "<c:calendar-multiget";
    body += kNamespaces;
    body += "><d:prop><d:getetag/><c:calendar-data/></d:prop>";
    for (const std::string& href : hrefs) {
        body += "<d:href>";
        xml_entities::AppendEscaped(body, std::string_view(href));
        body += "</d:href>";
    }
    body += "</c:calendar-multiget>";
    return body;
}

bool ParseDavColor(std::string_view text, uint32_t& color) {
    const std::string trimmed = Trim(text);
    if ((trimmed.size() != 7 && trimmed.size() != 9) || trimmed[0] != '#') return false;
    uint32_t rgb = 0;
    for (size_t i = 1; i < 7; ++i) {
        const char c = trimmed[i];
        const int digit = c >= '0' && c <= '9' ? c - '0'
                          : c >= 'a' && c <= 'f' ? c - 'a' + 10
                          : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
        if (digit < 0) return false;
        rgb = rgb << 4 | uint32_t(digit);
    }
    color = (rgb >> 16 & 0xFF) | (rgb & 0xFF00) | (rgb & 0xFF) << 16;
    return true;
}

}  // namespace tessel
