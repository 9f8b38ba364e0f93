// The scenarios of the flows a user runs; their names are CTest's e2e.* tests.
#pragma once

#include <vector>

#include "driver.h"

namespace e2e {

// In the order they build on one another: the IE/OE load reads the file the
// save wrote, the shell opens the TCP/IP file of the round trip, and the
// damaged profile is a copy of the IE/OE one.
const std::vector<Scenario>& FlowScenarios();

}  // namespace e2e
