#include "OvcCmd.h"

#include <cstdio>
#include <sstream>

#include "OvcExcpt.h"
#include "OvcSrMgr.h"

namespace {

// The built-in tables, in entry order (Key1, Shift1, Key2, Shift2, Cmd).
const std::vector<TOvcCmdRec> DefaultCommands{
    {37, 0, 0, 0, 46}, {39, 0, 0, 0, 55}, {37, 4, 0, 0, 74}, {39, 4, 0, 0, 75}, {36, 0, 0, 0, 42},
    {35, 0, 0, 0, 16}, {46, 0, 0, 0, 10}, {8, 0, 0, 0, 1}, {8, 2, 0, 0, 1}, {33, 4, 0, 0, 71},
    {34, 4, 0, 0, 2}, {45, 0, 0, 0, 44}, {90, 4, 0, 0, 72}, {8, 8, 0, 0, 54}, {38, 0, 0, 0, 73},
    {40, 0, 0, 0, 15}, {13, 4, 0, 0, 47}, {37, 2, 0, 0, 20}, {39, 2, 0, 0, 23}, {36, 2, 0, 0, 19},
    {35, 2, 0, 0, 18}, {37, 6, 0, 0, 29}, {39, 6, 0, 0, 30}, {33, 2, 0, 0, 22}, {34, 2, 0, 0, 21},
    {38, 2, 0, 0, 24}, {40, 2, 0, 0, 17}, {36, 6, 0, 0, 26}, {35, 6, 0, 0, 27}, {33, 6, 0, 0, 28},
    {34, 6, 0, 0, 25}, {46, 2, 0, 0, 8}, {88, 4, 0, 0, 8}, {45, 4, 0, 0, 6}, {67, 4, 0, 0, 6},
    {45, 2, 0, 0, 51}, {86, 4, 0, 0, 51}, {33, 0, 0, 0, 52}, {34, 0, 0, 0, 48}, {36, 4, 0, 0, 31},
    {35, 4, 0, 0, 45}, {9, 0, 0, 0, 68}, {9, 4, 0, 0, 68}, {90, 6, 0, 0, 53}, {48, 4, 0, 0, 32},
    {49, 4, 0, 0, 33}, {50, 4, 0, 0, 34}, {51, 4, 0, 0, 35}, {52, 4, 0, 0, 36}, {53, 4, 0, 0, 37},
    {54, 4, 0, 0, 38}, {55, 4, 0, 0, 39}, {56, 4, 0, 0, 40}, {57, 4, 0, 0, 41}, {48, 6, 0, 0, 58},
    {49, 6, 0, 0, 59}, {50, 6, 0, 0, 60}, {51, 6, 0, 0, 61}, {52, 6, 0, 0, 62}, {53, 6, 0, 0, 63},
    {54, 6, 0, 0, 64}, {55, 6, 0, 0, 65}, {56, 6, 0, 0, 66}, {57, 6, 0, 0, 67}};

const std::vector<TOvcCmdRec> WordStarCommands{
    {83, 4, 0, 0, 46}, {68, 4, 0, 0, 55}, {69, 4, 0, 0, 73}, {88, 4, 0, 0, 15}, {82, 4, 0, 0, 52},
    {67, 4, 0, 0, 48}, {87, 4, 0, 0, 57}, {90, 4, 0, 0, 56}, {65, 4, 0, 0, 74}, {70, 4, 0, 0, 75},
    {81, 4, 83, 128, 42}, {81, 4, 68, 128, 16}, {71, 4, 0, 0, 10}, {72, 4, 0, 0, 1}, {89, 4, 0, 0, 13},
    {81, 4, 89, 128, 12}, {86, 4, 0, 0, 44}, {84, 4, 0, 0, 14}, {80, 4, 0, 0, 7}, {81, 4, 76, 128, 54},
    {81, 4, 48, 128, 32}, {81, 4, 49, 128, 33}, {81, 4, 50, 128, 34}, {81, 4, 51, 128, 35},
    {81, 4, 52, 128, 36}, {81, 4, 53, 128, 37}, {81, 4, 54, 128, 38}, {81, 4, 55, 128, 39},
    {81, 4, 56, 128, 40}, {81, 4, 57, 128, 41}, {75, 4, 48, 128, 58}, {75, 4, 49, 128, 59},
    {75, 4, 50, 128, 60}, {75, 4, 51, 128, 61}, {75, 4, 52, 128, 62}, {75, 4, 53, 128, 63},
    {75, 4, 54, 128, 64}, {75, 4, 55, 128, 65}, {75, 4, 56, 128, 66}, {75, 4, 57, 128, 67}};

const std::vector<TOvcCmdRec> GridCommands{
    {37, 0, 0, 0, 46}, {39, 0, 0, 0, 55}, {37, 4, 0, 0, 49}, {39, 4, 0, 0, 50}, {36, 0, 0, 0, 42},
    {35, 0, 0, 0, 16}, {46, 0, 0, 0, 10}, {8, 0, 0, 0, 1}, {34, 4, 0, 0, 2}, {33, 4, 0, 0, 71},
    {45, 0, 0, 0, 44}, {90, 4, 0, 0, 54}, {38, 0, 0, 0, 73}, {40, 0, 0, 0, 15}, {37, 2, 0, 0, 20},
    {39, 2, 0, 0, 23}, {36, 2, 0, 0, 19}, {35, 2, 0, 0, 18}, {37, 6, 0, 0, 29}, {39, 6, 0, 0, 30},
    {33, 2, 0, 0, 22}, {34, 2, 0, 0, 21}, {38, 2, 0, 0, 24}, {40, 2, 0, 0, 17}, {36, 6, 0, 0, 26},
    {35, 6, 0, 0, 27}, {33, 6, 0, 0, 28}, {34, 6, 0, 0, 25}, {88, 4, 0, 0, 8}, {67, 4, 0, 0, 6},
    {86, 4, 0, 0, 51}, {33, 0, 0, 0, 52}, {36, 4, 0, 0, 31}, {34, 0, 0, 0, 48}, {35, 4, 0, 0, 45},
    {38, 4, 0, 0, 70}, {40, 4, 0, 0, 3}, {113, 0, 0, 0, 69}};

std::string StemOf(const std::string& Name) {
  size_t n = Name.size();
  while (n > 1 && Name[n - 1] >= '0' && Name[n - 1] <= '9') --n;
  return Name.substr(0, n);
}

}  // namespace

TOvcCmdRec TOvcCmdRec::FromKeys(uint32_t Keys, uint16_t Cmd) {
  return TOvcCmdRec{uint8_t(Keys), uint8_t(Keys >> 8), uint8_t(Keys >> 16), uint8_t(Keys >> 24), Cmd};
}

// ---------------------------------------------------------------------------------------------------
// TOvcCommandTable

TOvcCommandTable::TOvcCommandTable() : FTableName(OvcKitString(scUnknownTable)) {}

const std::vector<TOvcCmdRec>& TOvcCommandTable::BuiltInCommands(const std::string& Name) {
  static const std::vector<TOvcCmdRec> none;
  if (SameText(Name, OvcKitString(scDefaultTableName))) return DefaultCommands;
  if (SameText(Name, OvcKitString(scWordStarTableName))) return WordStarCommands;
  if (SameText(Name, OvcKitString(scGridTableName))) return GridCommands;
  return none;
}

int TOvcCommandTable::IndexOfKeys(uint32_t Keys) const {
  for (size_t i = 0; i < FCommands.size(); ++i)
    if (FCommands[i].Keys() == Keys) return int(i);
  return -1;
}

void TOvcCommandTable::AddRec(const TOvcCmdRec& Rec) {
  if (IndexOfKeys(Rec.Keys()) >= 0) throw EDuplicateCommand();
  FCommands.push_back(Rec);
}

std::vector<std::pair<int32_t, int32_t>> TOvcCommandTable::StoredPairs() const {
  std::vector<std::pair<int32_t, int32_t>> pairs;
  const std::vector<TOvcCmdRec>& builtIn = BuiltInCommands(FTableName);
  for (const TOvcCmdRec& b : builtIn)
    if (IndexOfKeys(b.Keys()) < 0) pairs.emplace_back(int32_t(b.Keys()), 0);
  for (const TOvcCmdRec& c : FCommands) {
    bool same = false;
    for (const TOvcCmdRec& b : builtIn)
      if (b == c) {
        same = true;
        break;
      }
    if (!same) pairs.emplace_back(int32_t(c.Keys()), int32_t(c.Cmd));
  }
  return pairs;
}

void TOvcCommandTable::ApplyStoredPairs(const std::vector<std::pair<int32_t, int32_t>>& Pairs) {
  FCommands = BuiltInCommands(FTableName);
  for (auto [keys, cmd] : Pairs) {
    int i = IndexOfKeys(uint32_t(keys));
    if (i < 0)
      FCommands.push_back(TOvcCmdRec::FromKeys(uint32_t(keys), uint16_t(cmd)));
    else if (cmd == 0)
      Delete(i);
    else
      SetCommand(i, uint16_t(cmd));
  }
}

void TOvcCommandTable::WriteTable(TWriter* Writer) const {
  Writer->WriteString(FTableName);
  Writer->WriteBoolean(FIsActive);
  Writer->WriteListBegin();
  for (auto [keys, cmd] : StoredPairs()) {
    Writer->WriteInteger(keys);
    Writer->WriteInteger(cmd);
  }
  Writer->WriteListEnd();
}

void TOvcCommandTable::ReadTable(TReader* Reader) {
  FTableName = Reader->ReadString();
  FIsActive = Reader->ReadBoolean();
  std::vector<std::pair<int32_t, int32_t>> pairs;
  Reader->ReadListBegin();
  while (!Reader->EndOfList()) {
    int32_t keys = Reader->ReadInteger();
    int32_t cmd = Reader->ReadInteger();
    pairs.emplace_back(keys, cmd);
  }
  Reader->ReadListEnd();
  ApplyStoredPairs(pairs);
}

void TOvcCommandTable::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "CommandList",
      [this](TReader* R) {
        R->ReadListBegin();
        ReadTable(R);
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        WriteTable(W);
        W->WriteListEnd();
      },
      !FCommands.empty());
}

// ---------------------------------------------------------------------------------------------------
// TOvcCommandProcessor

TOvcCommandProcessor::TOvcCommandProcessor() {
  struct TBuiltIn {
    int32_t Name;
    bool Active;
  };
  for (TBuiltIn b : {TBuiltIn{scDefaultTableName, true}, TBuiltIn{scWordStarTableName, false},
                     TBuiltIn{scGridTableName, false}}) {
    auto* t = new TOvcCommandTable;
    t->SetTableName(OvcKitString(b.Name));
    t->SetIsActive(b.Active);
    t->ApplyStoredPairs({});
    Add(t);
  }
  ResetState();
}

TOvcCommandProcessor::~TOvcCommandProcessor() { Clear(); }

TOvcCommandTable* TOvcCommandProcessor::Tables(int Index) const {
  if (Index < 0 || Index >= Count()) throw ETableNotFound();
  return FTables[size_t(Index)];
}

TOvcCommandTable* TOvcCommandProcessor::GetTable(const std::string& TableName) const {
  for (TOvcCommandTable* t : FTables)
    if (SameText(t->TableName(), TableName)) return t;
  return nullptr;
}

void TOvcCommandProcessor::Add(TOvcCommandTable* Table) {
  std::string stem = StemOf(Table->TableName());
  if (GetTable(stem) || GetTable(Table->TableName())) {
    for (int n = 1;; ++n) {
      std::string name = stem + std::to_string(n);
      if (!GetTable(name)) {
        Table->SetTableName(name);
        break;
      }
    }
  }
  FTables.push_back(Table);
}

void TOvcCommandProcessor::Delete(int Index) {
  TOvcCommandTable* t = Tables(Index);
  FTables.erase(FTables.begin() + Index);
  TObject::Free(t);
}

void TOvcCommandProcessor::Clear() {
  while (!FTables.empty()) Delete(Count() - 1);
}

void TOvcCommandProcessor::AddCommand(const std::string& TableName, const TOvcCmdRec& Rec) {
  TOvcCommandTable* t = GetTable(TableName);
  if (!t) throw ETableNotFound();
  t->AddRec(Rec);
}

namespace {

// One line of a command table file: five numbers, the keys and shift states (bytes) and the command.
TOvcCmdRec ParseCommandLine(const std::string& Line) {
  std::istringstream in(Line);
  long v[5];
  for (long& x : v)
    if (!(in >> x)) throw EConvertError("Invalid command table line: " + Line);
  std::string rest;
  bool bytesOk = true;
  for (int k = 0; k < 4; ++k) bytesOk = bytesOk && v[k] >= 0 && v[k] <= 255;
  if ((in >> rest) || !bytesOk || v[4] < 0 || v[4] > 65535) throw EConvertError("Invalid command table line: " + Line);
  return TOvcCmdRec{uint8_t(v[0]), uint8_t(v[1]), uint8_t(v[2]), uint8_t(v[3]), uint16_t(v[4])};
}

}  // namespace

TOvcCommandTable* TOvcCommandProcessor::LoadCommandTable(const std::string& FileName) {
  TStringList lines;
  lines.LoadFromFile(FileName);
  auto* table = new TOvcCommandTable;
  {
    TFailScope unmade([table] { TObject::Free(table); });
    if (lines.Count() > 0) table->SetTableName(lines[0]);
    for (int i = 1; i < lines.Count(); ++i)
      if (!Trim(lines[i]).empty()) table->AddRec(ParseCommandLine(lines[i]));
  }
  Add(table);
  return table;
}

void TOvcCommandProcessor::SaveCommandTable(const std::string& TableName, const std::string& FileName) {
  TOvcCommandTable* t = GetTable(TableName);
  if (!t) throw ETableNotFound();
  TStringList lines;
  lines.Add(t->TableName());
  for (int i = 0; i < t->Count(); ++i) {
    const TOvcCmdRec& r = t->Commands(i);
    char buf[40];
    std::snprintf(buf, sizeof buf, "%4d%4d%4d%4d%6d", r.Key1, r.SS1, r.Key2, r.SS2, r.Cmd);
    lines.Add(buf);
  }
  lines.SaveToFile(FileName);
}

uint16_t TOvcCommandProcessor::Translate(uint8_t Key, uint8_t Shift) {
  if (FWaiting) {
    uint32_t keys = TOvcCmdRec{FLastKey, FLastShift, Key, uint8_t(Shift | ksSecondKey), 0}.Keys();
    ResetState();
    for (TOvcCommandTable* t : FTables)
      if (t->IsActive())
        if (int i = t->IndexOfKeys(keys); i >= 0) return t->Commands(i).Cmd;
    return 0;
  }
  uint32_t keys = TOvcCmdRec{Key, Shift, 0, 0, 0}.Keys();
  for (TOvcCommandTable* t : FTables)
    if (t->IsActive())
      if (int i = t->IndexOfKeys(keys); i >= 0) return t->Commands(i).Cmd;
  // Not a command of its own: perhaps the first key of a sequence.
  for (TOvcCommandTable* t : FTables) {
    if (!t->IsActive()) continue;
    for (int i = 0; i < t->Count(); ++i) {
      const TOvcCmdRec& r = t->Commands(i);
      if (r.Key1 == Key && r.SS1 == Shift && r.Key2 != 0) {
        FLastKey = Key;
        FLastShift = Shift;
        FWaiting = true;
        return 0;
      }
    }
  }
  return 0;
}

void TOvcCommandProcessor::DefineProperties(TFiler* Filer) {
  Filer->DefineProperty(
      "TableList",
      [this](TReader* R) {
        Clear();
        R->ReadListBegin();
        while (!R->EndOfList()) {
          auto* t = new TOvcCommandTable;
          {
            TFailScope unmade([t] { TObject::Free(t); });
            t->ReadTable(R);
          }
          Add(t);
        }
        R->ReadListEnd();
      },
      [this](TWriter* W) {
        W->WriteListBegin();
        for (TOvcCommandTable* t : FTables) t->WriteTable(W);
        W->WriteListEnd();
      },
      !FTables.empty());
}
