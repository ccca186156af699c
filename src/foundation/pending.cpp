// Stand-ins for foundation services that are not built yet.
#include "foundation/log.h"
#include "foundation/settings.h"

// Stores nothing yet: parameters.xml is not written.
void StringParameter::saveParameter() const { logParameter(); }
