// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

std::set<std::string> noMatchSet;

void gf_logNoMatches() {}
void logMatchingSummary() {}
