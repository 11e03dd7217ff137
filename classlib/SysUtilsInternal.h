// Shared by the runtime's own source files only.
#pragma once

// Reads the locale's settings unless they have been read (or set up by GetFormatSettings) before.
void EnsureFormatSettings();
