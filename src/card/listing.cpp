#include "card/listing.h"
