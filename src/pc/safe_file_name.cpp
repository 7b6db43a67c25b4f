#include "pc/safe_file_name.h"

namespace quorvane::pc {

bool usableAsFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") {
        return false;
    }
    for (const unsigned char c : name) {
        if (c == '/' || c < 0x20 || c == 0x7F) {
            return false;
        }
    }
    return true;
}

}  // namespace quorvane::pc
