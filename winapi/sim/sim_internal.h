// Internals shared by the parts of the simulation (registry/files/system on
// one side, windows/dialogs/message boxes on the other).
#pragma once

#include <string>

#include "../winapi.h"

namespace sim::detail {

// Counts a call of `function` with `subject` and says whether an injected
// fault makes it fail; if so *status receives the status to fail with.
bool TakeFault(const char* function, const std::string& subject, DWORD* status);

// The calling thread's last error.
void SetError(DWORD code);

// Each part forgets its state; Reset() calls both.
void ResetCore();
void ResetUi();

}  // namespace sim::detail
