#include "app/organizer.h"
