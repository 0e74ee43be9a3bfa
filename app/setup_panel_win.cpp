#include "app/setup_panel.h"

// Placeholder until the Setup page lands.
void RunSetupPanel() {}
