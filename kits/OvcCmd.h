// Command tables of the control kit: named lists that map a one- or two-keystroke sequence to a
// command number, and the processor that holds them. Three tables are built in ("Default", "WordStar"
// and "Grid"); a form stores only how its tables differ from the built-in ones.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "Classes.h"

// Shift bytes of a key sequence.
constexpr uint8_t ksNone = 0, ksShift = 2, ksCtrl = 4, ksCtrlShift = 6, ksAlt = 8;
constexpr uint8_t ksSecondKey = 128;   // marks the second key of a two-key sequence

// One entry: the keys and the command (6 bytes in files and form resources).
struct TOvcCmdRec {
  uint8_t Key1 = 0;     // virtual-key code
  uint8_t SS1 = 0;      // its shift byte
  uint8_t Key2 = 0;     // 0 for a one-key sequence
  uint8_t SS2 = 0;
  uint16_t Cmd = 0;
  // The four key bytes as one value: the entry's identity.
  uint32_t Keys() const { return uint32_t(Key1) | uint32_t(SS1) << 8 | uint32_t(Key2) << 16 | uint32_t(SS2) << 24; }
  static TOvcCmdRec FromKeys(uint32_t Keys, uint16_t Cmd);
  bool operator==(const TOvcCmdRec&) const = default;
};

class TOvcCommandTable : public TPersistent {
  YOZ_CLASS(TOvcCommandTable, TPersistent)
public:
  TOvcCommandTable();

  bool IsActive() const { return FIsActive; }
  void SetIsActive(bool Value) { FIsActive = Value; }
  const std::string& TableName() const { return FTableName; }
  void SetTableName(const std::string& Value) { FTableName = Value; }

  int Count() const { return int(FCommands.size()); }
  const TOvcCmdRec& Commands(int Index) const { return FCommands.at(size_t(Index)); }
  // Appends the entry; EDuplicateCommand when its keys are already in the table.
  void AddRec(const TOvcCmdRec& Rec);
  void Delete(int Index) { FCommands.erase(FCommands.begin() + Index); }
  void Clear() { FCommands.clear(); }
  void SetCommand(int Index, uint16_t Cmd) { FCommands.at(size_t(Index)).Cmd = Cmd; }
  // The first entry with these four key bytes, -1 when none.
  int IndexOfKeys(uint32_t Keys) const;

  // The built-in entries of a built-in table's name (case-insensitive); empty for other names.
  static const std::vector<TOvcCmdRec>& BuiltInCommands(const std::string& Name);
  // What a form stores of the table: for a built-in name (keys, 0) for each built-in entry the
  // table lacks, then (keys, command) for each entry that is not a built-in one; every entry otherwise.
  std::vector<std::pair<int32_t, int32_t>> StoredPairs() const;
  // The reverse: the table's entries from its name and the stored pairs.
  void ApplyStoredPairs(const std::vector<std::pair<int32_t, int32_t>>& Pairs);
  // One table in a form: name, IsActive, list of (keys, command) pairs.
  void WriteTable(TWriter* Writer) const;
  void ReadTable(TReader* Reader);
  // Its own extra property "CommandList", written when it has entries.
  void DefineProperties(TFiler* Filer) override;

private:
  bool FIsActive = true;
  std::vector<TOvcCmdRec> FCommands;
  std::string FTableName;
};

class TOvcCommandProcessor : public TPersistent {
  YOZ_CLASS(TOvcCommandProcessor, TPersistent)
public:
  // The three built-in tables: "Default" active, "WordStar" and "Grid" inactive.
  TOvcCommandProcessor();
  ~TOvcCommandProcessor() override;

  int Count() const { return int(FTables.size()); }
  TOvcCommandTable* Tables(int Index) const;   // ETableNotFound out of range
  // The table of that name (case-insensitive), nullptr when none.
  TOvcCommandTable* GetTable(const std::string& TableName) const;
  // Takes the table over and appends it. A table whose name, or the name without its trailing digits,
  // is taken gets the first free name of those digits replaced by 1, 2, 3 ...
  void Add(TOvcCommandTable* Table);
  // Removes and frees the table at Index.
  void Delete(int Index);
  void Clear();
  // ETableNotFound for an unknown table, EDuplicateCommand for keys it already maps.
  void AddCommand(const std::string& TableName, const TOvcCmdRec& Rec);

  // A table read from a text file (first line its name, then lines of Key1 Shift1 Key2 Shift2 Cmd),
  // added as above; EConvertError for a line that is not five numbers of the right range.
  virtual TOvcCommandTable* LoadCommandTable(const std::string& FileName);
  // Writes the table in the same layout; ETableNotFound when there is no such table.
  virtual void SaveCommandTable(const std::string& TableName, const std::string& FileName);

  // The command of a key with its shift byte in the active tables, in table order; 0 when none.
  // The first key of a two-key sequence answers 0 and is remembered for the next call.
  uint16_t Translate(uint8_t Key, uint8_t Shift);
  void ResetState() { FLastKey = FLastShift = 0; FWaiting = false; }

  // The extra property "TableList" (written when there is a table).
  void DefineProperties(TFiler* Filer) override;

private:
  std::vector<TOvcCommandTable*> FTables;
  uint8_t FLastKey = 0, FLastShift = 0;   // the first key of a two-key sequence
  bool FWaiting = false;
};
