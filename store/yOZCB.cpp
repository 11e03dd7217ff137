#include "yOZCB.h"

#include <iterator>
#include <memory>
#include <variant>

#include "SysUtils.h"
#include "XRegistry.h"

namespace {

std::unique_ptr<TXRegistry> OpenSettingsKey() {
  auto reg = std::make_unique<TXRegistry>();
  reg->SetRootKey(HKEY_CURRENT_USER);
  if (!reg->OpenKey(yOZRegistryKey, true)) throw Exception("Unable to open the yOZ registry key");
  return reg;
}

// The record's text fields hold at most 255 characters (ShutDownStatus 50), loaded or saved.
constexpr size_t ShortLen = 255;
constexpr size_t ShutDownStatusLen = 50;

void ReadShortString(TXRegistry& Reg, const std::string& Name, std::string& Field, size_t MaxLen) {
  std::string value;
  Reg.ReadStringDef(Name, value, Field);
  Field = value.substr(0, MaxLen);
}

void WriteShortString(TXRegistry& Reg, const std::string& Name, const std::string& Field, size_t MaxLen) {
  Reg.WriteString(Name, Field.substr(0, MaxLen));
}

// Every value in load and save order: its name and its field (text fields with their length).
struct TSettingValue {
  const char* Name;
  std::variant<int32_t TyOZCBRec::*, bool TyOZCBRec::*, std::string TyOZCBRec::*> Field;
  size_t MaxLen = ShortLen;
};

const TSettingValue SettingValues[] = {
  {"CheckForNewMsgEvery", &TyOZCBRec::CheckForNewMsgEvery},
  {"FirstTimeRun", &TyOZCBRec::FirstTimeRun},
  {"yOZDBasePath", &TyOZCBRec::yOZDBasePath},
  {"PlayWavForNewMsg", &TyOZCBRec::PlayWavForNewMsg},
  {"ShowOfflineUsers", &TyOZCBRec::ShowOfflineUsers},
  {"SortListView", &TyOZCBRec::SortListView},
  {"UpdateDisplayTime", &TyOZCBRec::UpdateDisplayTime},
  {"UseVacation", &TyOZCBRec::UseVacation},
  {"WavToPlayForNewMsgs", &TyOZCBRec::WavToPlayForNewMsgs},
  {"ShutDownStatus", &TyOZCBRec::ShutDownStatus, ShutDownStatusLen},
  {"ConfirmShutDown", &TyOZCBRec::ConfirmShutDown},
  {"MiniView", &TyOZCBRec::MiniView},
  {"ClearCommentOnSD", &TyOZCBRec::ClearCommentOnSD},
  {"ChangeStatusOnSD", &TyOZCBRec::ChangeStatusOnSD},
  {"DisplayDepartments", &TyOZCBRec::DisplayDepartments},
  {"AutoComment", &TyOZCBRec::AutoComment},
  {"DetectScreenSaver", &TyOZCBRec::DetectScreenSaver},
  {"ScreenSaverStatus", &TyOZCBRec::ScreenSaverStatus},
  {"MainHeight", &TyOZCBRec::MainHeight},
  {"MainLeft", &TyOZCBRec::MainLeft},
  {"MainTop", &TyOZCBRec::MainTop},
  {"MainWidth", &TyOZCBRec::MainWidth},
  {"SplitterPos", &TyOZCBRec::SplitterPos},
  {"MainFontColour", &TyOZCBRec::MainFontColour},
  {"MainFontSize", &TyOZCBRec::MainFontSize},
  {"ShowGrid", &TyOZCBRec::ShowGrid},
  {"CustomHeight", &TyOZCBRec::CustomHeight},
  {"CustomLeft", &TyOZCBRec::CustomLeft},
  {"CustomTop", &TyOZCBRec::CustomTop},
  {"CustomWidth", &TyOZCBRec::CustomWidth},
  {"Info1", &TyOZCBRec::Info1},
  {"Info2", &TyOZCBRec::Info2},
  {"ThisPage", &TyOZCBRec::ThisPage},
  {"GenerateHTMLEvery", &TyOZCBRec::GenerateHTMLEvery},
  {"HTMLLocation", &TyOZCBRec::HTMLLocation},
  {"AutoUpdateInBrowser", &TyOZCBRec::AutoUpdateInBrowser},
  {"FontSize", &TyOZCBRec::FontSize},
  {"NameWidth", &TyOZCBRec::NameWidth},
  {"StatusWidth", &TyOZCBRec::StatusWidth},
  {"ExtWidth", &TyOZCBRec::ExtWidth},
  {"DepartmentWidth", &TyOZCBRec::DepartmentWidth},
  {"CommentsWidth", &TyOZCBRec::CommentsWidth},
  {"TableBoader", &TyOZCBRec::TableBoader},
  {"CellPadding", &TyOZCBRec::CellPadding},
  {"CellSpacing", &TyOZCBRec::CellSpacing},
};
static_assert(std::size(SettingValues) == 45, "the settings record has 45 values");

// The settings dialog offers the two timer periods from 0 to 360 seconds.
constexpr uint32_t MaxPeriod = 360;

// A period as the nearest one the dialog allows. The registry holds it as an unsigned DWORD, so
// 4294967295 (read as -1) is far above the range, not below it.
int32_t DialogPeriod(int32_t Stored) {
  const uint32_t seconds = static_cast<uint32_t>(Stored);
  return static_cast<int32_t>(seconds > MaxPeriod ? MaxPeriod : seconds);
}

// SaveSettings writes the second web-page value in lower case; value names ignore case.
const char* SavedName(const TSettingValue& Value) {
  return std::string(Value.Name) == "Info2" ? "info2" : Value.Name;
}

}  // namespace

void TyOZCB::SetDefaults(TyOZCBRec& Rec) {
  Rec.CheckForNewMsgEvery = 10;
  Rec.FirstTimeRun = true;
  Rec.yOZDBasePath.clear();
  Rec.PlayWavForNewMsg = false;
  Rec.ShowOfflineUsers = true;
  Rec.SortListView = true;
  Rec.UpdateDisplayTime = 10;
  Rec.UseVacation = true;
  Rec.WavToPlayForNewMsgs.clear();
  Rec.DisplayDepartments = true;
  Rec.ConfirmShutDown = false;
  Rec.MiniView = false;
  Rec.ClearCommentOnSD = true;
  Rec.ChangeStatusOnSD = true;
  Rec.ShutDownStatus = "Offline";
  Rec.AutoComment = true;
  Rec.DetectScreenSaver = true;
  Rec.ScreenSaverStatus = "Away from desk";
  Rec.MainHeight = 405;
  Rec.MainLeft = 237;
  Rec.MainTop = 184;
  Rec.MainWidth = 484;
  Rec.SplitterPos = 87;
  Rec.MainFontSize = 10;
  Rec.MainFontColour = 0xFF0000;  // clBlue
  Rec.ShowGrid = false;
  Rec.CustomHeight = 289;
  Rec.CustomLeft = 240;
  Rec.CustomTop = 118;
  Rec.CustomWidth = 242;
  Rec.Info1 = "Company Name";
  Rec.Info2 = "Additional information...";
  Rec.ThisPage = "This page is updated every";
  Rec.HTMLLocation.clear();
  Rec.AutoUpdateInBrowser = false;
  Rec.FontSize = 3;
  Rec.NameWidth = 185;
  Rec.StatusWidth = 100;
  Rec.ExtWidth = 35;
  Rec.DepartmentWidth = 150;
  Rec.CommentsWidth = 150;
  Rec.GenerateHTMLEvery = 30;
  Rec.TableBoader = 1;
  Rec.CellPadding = 1;
  Rec.CellSpacing = 1;
}

void TyOZCB::LoadSettings(TyOZCBRec& Rec) {
  auto reg = OpenSettingsKey();
  TXRegistry& r = *reg;
  SetDefaults(Rec);
  for (const TSettingValue& v : SettingValues) {
    if (auto f = std::get_if<int32_t TyOZCBRec::*>(&v.Field))
      Rec.**f = r.ReadIntegerDef(v.Name, Rec.**f);
    else if (auto b = std::get_if<bool TyOZCBRec::*>(&v.Field))
      Rec.**b = r.ReadBoolDef(v.Name, Rec.**b);
    else
      ReadShortString(r, v.Name, Rec.*std::get<std::string TyOZCBRec::*>(v.Field), v.MaxLen);
  }
  // A value edited by hand or damaged must not stop the board: an overflowing timer period would end
  // its start half-way.
  Rec.CheckForNewMsgEvery = DialogPeriod(Rec.CheckForNewMsgEvery);
  Rec.UpdateDisplayTime = DialogPeriod(Rec.UpdateDisplayTime);
}

void TyOZCB::SaveSettings(const TyOZCBRec& Rec) {
  auto reg = OpenSettingsKey();
  TXRegistry& r = *reg;
  for (const TSettingValue& v : SettingValues) {
    if (auto f = std::get_if<int32_t TyOZCBRec::*>(&v.Field))
      r.WriteInteger(SavedName(v), Rec.**f);
    else if (auto b = std::get_if<bool TyOZCBRec::*>(&v.Field))
      r.WriteBool(SavedName(v), Rec.**b);
    else
      WriteShortString(r, SavedName(v), Rec.*std::get<std::string TyOZCBRec::*>(v.Field), v.MaxLen);
  }
}
