// The Internet options of Internet Explorer (the current user's tree
// "Internet Settings") as the snapshot "proxy", keeping this machine's own
// "5.0" subtree on a load.
#pragma once

#include "settings/options_part.h"

extern const OptionsPart kInternetOptions;
