#pragma once
// The current user's personal alert list: watched colleagues with the status last seen, as triples
// of lines (LogInName, Name, Status) in a string list, saved in a local file.
#include <string>

#include "Classes.h"
#include "yOZViews.h"

class TyOZAlert : public TObject {
public:
  TyOZAlert();
  ~TyOZAlert() override;

  std::string AlertText;
  TStringList* Alerts = nullptr;

  void AddAlert(const std::string& LogInName, const std::string& Name, const std::string& Status);
  void CheckAlerts(IBoardView* Board);
  void Clear();
  void FillList(TStrings* Names);
  int IndexOf(const std::string& Text) const;
  bool Contains(const std::string& LogInName) const;
  std::string GetName(int Index) const;
  void SetName(const std::string& LogInName, const std::string& Name);
  void LoadFromFile(const std::string& FileName);
  void SaveToFile(const std::string& FileName);
};
