#include "xml/xdata_document.h"

#include "xml/xml_parser.h"

namespace tessel {

void TxdataDocument::HandleItem(int itemType, std::u16string_view text) {
    if (itemType == static_cast<int>(TxmlItem::Doctype)) doctype_ = text;
}

}  // namespace tessel
