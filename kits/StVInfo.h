#pragma once
#include <string>

// True when Path names an existing folder (with or without a trailing backslash).
bool IsDirectory(const std::string& Path);
