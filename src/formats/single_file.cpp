#include "formats/single_file.h"
