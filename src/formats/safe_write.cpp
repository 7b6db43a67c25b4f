#include "formats/safe_write.h"
