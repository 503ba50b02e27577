// The platform family the program runs on, as the installer checks it at
// start-up: only the 9x/ME family (1) and the NT family (2) are accepted.
#pragma once

// 0 Win32s, 1 Windows 9x/ME, 2 NT family, 3 Windows CE; -1 when the system
// does not answer the version query.
int LeerPlataforma();
