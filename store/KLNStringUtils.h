// Path helpers.
#pragma once

#include <string>

// Path with "\" appended unless it already ends in one; the empty path gives "\".
std::string AddBackslash(const std::string& Path);
