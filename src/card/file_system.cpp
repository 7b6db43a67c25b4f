#include "card/file_system.h"
