// The reply side of a step now lives with the run engine; this header
// stays until the units that still name it here include run/TranslationReply.h.
#pragma once

#include "run/TranslationReply.h"
