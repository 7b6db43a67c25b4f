#include "card/dir_entry.h"
