/* The plugin's version, in one place: the resource script and every program
   that prints the version read it from here, and the build reads it out of
   this file for the archives' names, pluginst.inf and the checks of the
   built files. Plain C, for the resource compiler. */
#pragma once

#define LUMBRASKET_VERSION_MAJOR 1
#define LUMBRASKET_VERSION_MINOR 1
#define LUMBRASKET_VERSION_PATCH 0
#define LUMBRASKET_VERSION_BUILD 0
/* How the host shows it: major "." minor as two digits. */
#define LUMBRASKET_VERSION_TEXT "1.10"
/* The day this version was made, for the manual page's title line. */
#define LUMBRASKET_VERSION_DATE "2026-12-09"
