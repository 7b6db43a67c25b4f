#include "link/system_port.h"
