#include "formats/page_file.h"
