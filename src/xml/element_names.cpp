#include "xml/element_names.h"

#include <mutex>
#include <unordered_set>

namespace tessel::xml_detail {

namespace {

struct NameTable {
    std::mutex lock;
    std::unordered_set<std::u16string> names;
};

// Never destroyed: nodes held by other statics may still point into it while the process ends.
NameTable& Table() {
    static NameTable* table = new NameTable;
    return *table;
}

}  // namespace

const std::u16string* SharedElementName(std::u16string_view name) {
    if (name.empty()) return &EmptyElementName();
    if (name.size() > kMaxSharedNameLength) return nullptr;
    NameTable& table = Table();
    std::lock_guard<std::mutex> guard(table.lock);
    const std::u16string key(name);
    if (auto found = table.names.find(key); found != table.names.end()) return &*found;
    if (table.names.size() >= kMaxSharedNames) return nullptr;
    return &*table.names.insert(key).first;
}

}  // namespace tessel::xml_detail
