#include "link/adapter_commands.h"
