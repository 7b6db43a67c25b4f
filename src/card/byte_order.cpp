#include "card/byte_order.h"
