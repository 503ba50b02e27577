// Where the program takes DLLs from: the system folder only, never the
// folder it was started from (the Downloads folder of an installer) or the
// current one. The system DLLs that Windows does not always take from the
// system folder itself (VERSION, MPR, UxTheme, WININET) are delay-imported
// (cmake/ImportacionTardia.cmake) and loaded from there at their first use.
#pragma once

// Restricts the search of every later LoadLibrary to the system folder.
// Called before anything else of the program runs; true when the system
// took it (systems without the call still get the delay-imported DLLs from
// the system folder, through the loader hook).
bool RestringirCargaDll();
