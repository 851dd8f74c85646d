#pragma once

// seewolf::Error lives in the platform layer, which the core builds on; this header is the
// name the core includes.
#include "platform/error.h"
