#include "ui/drive_tree.h"
