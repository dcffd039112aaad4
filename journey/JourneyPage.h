// The journey as one page to share: a self-contained XHTML file (the rows,
// their highlights and the survival chart drawn as inline SVG, no outside
// resources) that a browser shows as the Journey tab does.
#pragma once

#include <string>

class Journey;

std::string JourneyPage(const Journey& journey);
