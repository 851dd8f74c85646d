#include "companion/companion.h"
