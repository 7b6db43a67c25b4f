#include "adapter/virtual_adapter.h"
