#include "recording_screen.h"
