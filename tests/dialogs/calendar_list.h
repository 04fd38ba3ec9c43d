#pragma once
// A calendar list feed as the client keeps it: the document and its "entry" elements.
#include <memory>
#include <string_view>

#include "xml/xdata_list.h"
#include "xml/xdata_node.h"

namespace tessel::testing {

struct CalendarList {
    explicit CalendarList(std::string_view feed) {
        doc.LoadFromBytes(feed);
        entries = doc.SelectNodes(u"entry");
    }
    TxdataNode doc;
    std::unique_ptr<TxdataList> entries;
};

}  // namespace tessel::testing
