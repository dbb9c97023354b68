// Texts the program carries itself, for when the resource module with every
// other text cannot be found. Numbers only: the resource compiler reads this.
#pragma once

#define IDS_NO_LANGUAGE_FILES 100
#define IDS_NO_LANGUAGE_FILES_CAPTION 101
#define IDS_WIZARD_DISABLED_OWN 102

// Exit code of a start that found no resource module (0: the wizard ran).
#define EXIT_NO_LANGUAGE_FILES 2
// Exit code of a start the administrator's policy refused (the person was told).
#define EXIT_WIZARD_DISABLED 3
