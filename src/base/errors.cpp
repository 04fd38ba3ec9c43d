#include "base/errors.h"

namespace tessel {

void RaiseNotAnInteger(const std::string& text) {
    throw EConvertError("'" + text + "' is not a valid integer value");
}

}  // namespace tessel
