#pragma once

#include <string_view>

namespace quorvane::pc {

// Whether `name` (bytes, such as a card file name) can be the name of one file in a chosen
// folder: it is outside data, so it must not leave the folder or hide control characters.
bool usableAsFileName(std::string_view name);

}  // namespace quorvane::pc
