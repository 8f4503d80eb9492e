// (being written)
#include "listing.h"
