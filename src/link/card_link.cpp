#include "link/card_link.h"
