// Texts of the shell controls, kept in the program's string table so that a translation changes them.
#pragma once

#include <string>

constexpr int sPTSizeKB = 65280;               // "%sKB"
constexpr int sPTNewFolder = 65281;            // "New Folder"
constexpr int sPTCreateFolderError = 65282;    // "Unable to create the folder '%2'\n\n%1"
constexpr int sPTColName = 65283;
constexpr int sPTColSize = 65284;
constexpr int sPTColType = 65285;
constexpr int sPTColModified = 65286;
constexpr int sPTSystemFolder = 65287;
constexpr int sPTDelete = 65288;
constexpr int sPTDeleteHint = 65289;
constexpr int sPTBrowseForFolder = 65290;
constexpr int sPTShortCutSelectAll = 65291;    // "Ctrl+A"
constexpr int sPTShortCutDelete = 65292;       // "Del"
constexpr int sPTShortCutCopy = 65293;         // "Ctrl+C"
constexpr int sPTShortCutCut = 65294;          // "Ctrl+X"
constexpr int sPTShortCutPaste = 65295;        // "Ctrl+V"

// The text of Ident from the program's string table ('' when it has none).
std::string PTLoadStr(int Ident);
