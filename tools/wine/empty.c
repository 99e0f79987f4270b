/* Stands at the 64-bit place of the preload path so that 64-bit Wine processes, which
   inherit the preload setting from 32-bit ones, find a library that does nothing. */
int orvelle_preload_placeholder;
