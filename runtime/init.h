// Module start-up: rtInit gives every module global its default.
#pragma once

using rtModuleInit = int (*)();

// Adds a module's initialisation to the ones rtInit runs, in the order added (once each).
// A module's initialisation gives its globals their defaults and registers the globals
// that hold objects or arrays as collector roots (gc_add_root).
void rtAddModuleInit(rtModuleInit init);
// Forgets every added module initialisation.
void rtClearModuleInits();

// Assigns every module global its default: first the runtime's own, then each added
// module's in order. The collector's roots are registered anew.
int rtInit();
