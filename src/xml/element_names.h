#pragma once
// Element names shared by every tree. A feed of ten thousand entries names its elements with a
// few dozen distinct names, so each node points at one shared copy instead of holding its own.
// The shared copies live as long as the process: the table takes at most kMaxSharedNames names
// of at most kMaxSharedNameLength units, so a document full of made-up names cannot make it grow
// without bound; other names are held by their node alone.
#include <cstddef>
#include <string>
#include <string_view>

namespace tessel::xml_detail {

inline constexpr std::size_t kMaxSharedNames = 4096;
inline constexpr std::size_t kMaxSharedNameLength = 64;

// The shared copy of the name; null when the table does not take it. Safe on any thread.
const std::u16string* SharedElementName(std::u16string_view name);

// The empty name, which every unnamed node shares. Never destroyed: nodes held by other statics
// may still point at it while the process ends. Inline, since every node starts with it.
inline const std::u16string& EmptyElementName() {
    static const std::u16string* empty = new std::u16string;
    return *empty;
}

}  // namespace tessel::xml_detail
