// The request side of a step now lives with the run engine; this header
// stays until the units that still name it here include run/TranslationRequest.h.
#pragma once

#include "run/TranslationRequest.h"
