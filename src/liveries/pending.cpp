// Stand-ins for the liveries services that are not built yet.
#include "liveries/liveries.h"

std::vector<std::vector<std::string>> PublisherTable;
