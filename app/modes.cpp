#include "app/modes.h"

// The main window and the command-line flows arrive with the dialogs they
// run; until then both modes return at once, so the program starts, locks,
// cleans and shuts down.
void RunCommandLineMode(HINSTANCE, LPSTR) {}

void RunWindowMode(HINSTANCE) {}
