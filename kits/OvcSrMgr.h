// The control kit's string tables: the reader of the kit's "STR0" resources, whose own failure
// messages come from "OVCSRMGR_STRINGS", and the kit's text table "TOLVANE3_STRINGS_ENGLISH".
#pragma once

#include <cstdint>
#include <string>

#include "StSrMgr.h"

// The same reader as the system-tools kit's, with the control kit's own failure messages.
class TOvcStringResource : public TStStringResource {
  YOZ_CLASS(TOvcStringResource, TStStringResource)
public:
  TOvcStringResource(HINSTANCE Instance, const std::string& ResourceName);
};

// The reader's message table, nil when the program carries none.
TStStringResource* OvcSrMgrStrings();

// The kit text of Ident; "Unknown" when the table has no such entry.
std::string OvcKitString(int32_t Ident);

// Kit string identifiers used by this program.
constexpr int32_t scDuplicateCommand = 30169;
constexpr int32_t scTableNotFound = 30170;
constexpr int32_t scNoControllerAssigned = 30172;
constexpr int32_t scNoTimersAvail = 30189;
constexpr int32_t scLabelNotAttached = 30244;
constexpr int32_t scGridTableName = 30266;
constexpr int32_t scDefaultTableName = 30275;
constexpr int32_t scWordStarTableName = 30276;
constexpr int32_t scUnknownTable = 30277;
constexpr int32_t scColorBlack = 30500;   // the sixteen colour names follow in order

// Unit start and end: open and release both tables.
void OvcSrMgrInitialize();
void OvcSrMgrFinalize();
