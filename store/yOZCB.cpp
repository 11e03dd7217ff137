#include "yOZCB.h"

#include <memory>

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

void ReadShortString(TXRegistry& Reg, const std::string& Name, std::string& Field, size_t MaxLen = ShortLen) {
  std::string value;
  Reg.ReadStringDef(Name, value, Field);
  Field = value.substr(0, MaxLen);
}

void WriteShortString(TXRegistry& Reg, const std::string& Name, const std::string& Field, size_t MaxLen = ShortLen) {
  Reg.WriteString(Name, Field.substr(0, MaxLen));
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
  Rec.CheckForNewMsgEvery = r.ReadIntegerDef("CheckForNewMsgEvery", Rec.CheckForNewMsgEvery);
  Rec.FirstTimeRun = r.ReadBoolDef("FirstTimeRun", Rec.FirstTimeRun);
  ReadShortString(r, "yOZDBasePath", Rec.yOZDBasePath);
  Rec.PlayWavForNewMsg = r.ReadBoolDef("PlayWavForNewMsg", Rec.PlayWavForNewMsg);
  Rec.ShowOfflineUsers = r.ReadBoolDef("ShowOfflineUsers", Rec.ShowOfflineUsers);
  Rec.SortListView = r.ReadBoolDef("SortListView", Rec.SortListView);
  Rec.UpdateDisplayTime = r.ReadIntegerDef("UpdateDisplayTime", Rec.UpdateDisplayTime);
  Rec.UseVacation = r.ReadBoolDef("UseVacation", Rec.UseVacation);
  ReadShortString(r, "WavToPlayForNewMsgs", Rec.WavToPlayForNewMsgs);
  ReadShortString(r, "ShutDownStatus", Rec.ShutDownStatus, ShutDownStatusLen);
  Rec.ConfirmShutDown = r.ReadBoolDef("ConfirmShutDown", Rec.ConfirmShutDown);
  Rec.MiniView = r.ReadBoolDef("MiniView", Rec.MiniView);
  Rec.ClearCommentOnSD = r.ReadBoolDef("ClearCommentOnSD", Rec.ClearCommentOnSD);
  Rec.ChangeStatusOnSD = r.ReadBoolDef("ChangeStatusOnSD", Rec.ChangeStatusOnSD);
  Rec.DisplayDepartments = r.ReadBoolDef("DisplayDepartments", Rec.DisplayDepartments);
  Rec.AutoComment = r.ReadBoolDef("AutoComment", Rec.AutoComment);
  Rec.DetectScreenSaver = r.ReadBoolDef("DetectScreenSaver", Rec.DetectScreenSaver);
  ReadShortString(r, "ScreenSaverStatus", Rec.ScreenSaverStatus);
  Rec.MainHeight = r.ReadIntegerDef("MainHeight", Rec.MainHeight);
  Rec.MainLeft = r.ReadIntegerDef("MainLeft", Rec.MainLeft);
  Rec.MainTop = r.ReadIntegerDef("MainTop", Rec.MainTop);
  Rec.MainWidth = r.ReadIntegerDef("MainWidth", Rec.MainWidth);
  Rec.SplitterPos = r.ReadIntegerDef("SplitterPos", Rec.SplitterPos);
  Rec.MainFontColour = r.ReadIntegerDef("MainFontColour", Rec.MainFontColour);
  Rec.MainFontSize = r.ReadIntegerDef("MainFontSize", Rec.MainFontSize);
  Rec.ShowGrid = r.ReadBoolDef("ShowGrid", Rec.ShowGrid);
  Rec.CustomHeight = r.ReadIntegerDef("CustomHeight", Rec.CustomHeight);
  Rec.CustomLeft = r.ReadIntegerDef("CustomLeft", Rec.CustomLeft);
  Rec.CustomTop = r.ReadIntegerDef("CustomTop", Rec.CustomTop);
  Rec.CustomWidth = r.ReadIntegerDef("CustomWidth", Rec.CustomWidth);
  ReadShortString(r, "Info1", Rec.Info1);
  ReadShortString(r, "Info2", Rec.Info2);
  ReadShortString(r, "ThisPage", Rec.ThisPage);
  Rec.GenerateHTMLEvery = r.ReadIntegerDef("GenerateHTMLEvery", Rec.GenerateHTMLEvery);
  ReadShortString(r, "HTMLLocation", Rec.HTMLLocation);
  Rec.AutoUpdateInBrowser = r.ReadBoolDef("AutoUpdateInBrowser", Rec.AutoUpdateInBrowser);
  Rec.FontSize = r.ReadIntegerDef("FontSize", Rec.FontSize);
  Rec.NameWidth = r.ReadIntegerDef("NameWidth", Rec.NameWidth);
  Rec.StatusWidth = r.ReadIntegerDef("StatusWidth", Rec.StatusWidth);
  Rec.ExtWidth = r.ReadIntegerDef("ExtWidth", Rec.ExtWidth);
  Rec.DepartmentWidth = r.ReadIntegerDef("DepartmentWidth", Rec.DepartmentWidth);
  Rec.CommentsWidth = r.ReadIntegerDef("CommentsWidth", Rec.CommentsWidth);
  Rec.TableBoader = r.ReadIntegerDef("TableBoader", Rec.TableBoader);
  Rec.CellPadding = r.ReadIntegerDef("CellPadding", Rec.CellPadding);
  Rec.CellSpacing = r.ReadIntegerDef("CellSpacing", Rec.CellSpacing);
}

void TyOZCB::SaveSettings(const TyOZCBRec& Rec) {
  auto reg = OpenSettingsKey();
  TXRegistry& r = *reg;
  r.WriteInteger("CheckForNewMsgEvery", Rec.CheckForNewMsgEvery);
  r.WriteBool("FirstTimeRun", Rec.FirstTimeRun);
  WriteShortString(r, "yOZDBasePath", Rec.yOZDBasePath);
  r.WriteBool("PlayWavForNewMsg", Rec.PlayWavForNewMsg);
  r.WriteBool("ShowOfflineUsers", Rec.ShowOfflineUsers);
  r.WriteBool("SortListView", Rec.SortListView);
  r.WriteInteger("UpdateDisplayTime", Rec.UpdateDisplayTime);
  r.WriteBool("UseVacation", Rec.UseVacation);
  WriteShortString(r, "WavToPlayForNewMsgs", Rec.WavToPlayForNewMsgs);
  WriteShortString(r, "ShutDownStatus", Rec.ShutDownStatus, ShutDownStatusLen);
  r.WriteBool("ConfirmShutDown", Rec.ConfirmShutDown);
  r.WriteBool("MiniView", Rec.MiniView);
  r.WriteBool("ClearCommentOnSD", Rec.ClearCommentOnSD);
  r.WriteBool("ChangeStatusOnSD", Rec.ChangeStatusOnSD);
  r.WriteBool("DisplayDepartments", Rec.DisplayDepartments);
  r.WriteBool("AutoComment", Rec.AutoComment);
  r.WriteBool("DetectScreenSaver", Rec.DetectScreenSaver);
  WriteShortString(r, "ScreenSaverStatus", Rec.ScreenSaverStatus);
  r.WriteInteger("MainHeight", Rec.MainHeight);
  r.WriteInteger("MainLeft", Rec.MainLeft);
  r.WriteInteger("MainTop", Rec.MainTop);
  r.WriteInteger("MainWidth", Rec.MainWidth);
  r.WriteInteger("SplitterPos", Rec.SplitterPos);
  r.WriteInteger("MainFontColour", Rec.MainFontColour);
  r.WriteInteger("MainFontSize", Rec.MainFontSize);
  r.WriteBool("ShowGrid", Rec.ShowGrid);
  r.WriteInteger("CustomHeight", Rec.CustomHeight);
  r.WriteInteger("CustomLeft", Rec.CustomLeft);
  r.WriteInteger("CustomTop", Rec.CustomTop);
  r.WriteInteger("CustomWidth", Rec.CustomWidth);
  WriteShortString(r, "Info1", Rec.Info1);
  WriteShortString(r, "info2", Rec.Info2);
  WriteShortString(r, "ThisPage", Rec.ThisPage);
  r.WriteInteger("GenerateHTMLEvery", Rec.GenerateHTMLEvery);
  WriteShortString(r, "HTMLLocation", Rec.HTMLLocation);
  r.WriteBool("AutoUpdateInBrowser", Rec.AutoUpdateInBrowser);
  r.WriteInteger("FontSize", Rec.FontSize);
  r.WriteInteger("NameWidth", Rec.NameWidth);
  r.WriteInteger("StatusWidth", Rec.StatusWidth);
  r.WriteInteger("ExtWidth", Rec.ExtWidth);
  r.WriteInteger("DepartmentWidth", Rec.DepartmentWidth);
  r.WriteInteger("CommentsWidth", Rec.CommentsWidth);
  r.WriteInteger("TableBoader", Rec.TableBoader);
  r.WriteInteger("CellPadding", Rec.CellPadding);
  r.WriteInteger("CellSpacing", Rec.CellSpacing);
}
