#include "formats/vmi_vms.h"
