#include "formats/input_file.h"

#include <sys/types.h>

namespace quorvane::formats {

long long InputFile::length() {
    if (::fseeko(m_file, 0, SEEK_END) != 0) {
        return -1;
    }
    const off_t end = ::ftello(m_file);
    if (end < 0 || ::fseeko(m_file, 0, SEEK_SET) != 0) {
        return -1;
    }
    return static_cast<long long>(end);
}

}  // namespace quorvane::formats
