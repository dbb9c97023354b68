// Texts the program carries itself, for when the resource module with every
// other text cannot be found. Numbers only: the resource compiler reads this.
#pragma once

#define IDS_NO_LANGUAGE_FILES 100
#define IDS_NO_LANGUAGE_FILES_CAPTION 101

// Exit code of a start that found no resource module (0: the wizard ran).
#define EXIT_NO_LANGUAGE_FILES 2
