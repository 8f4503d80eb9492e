// (being written)
#include "platform.h"
