#pragma once
// The current user's personal alert list: watched colleagues with the status last seen, as triples
// of lines (LogInName, Name, Status) in a string list, saved in a local file.
#include <memory>
#include <string>

#include "Classes.h"
#include "yOZViews.h"

class TyOZAlert : public TObject {
public:
  TyOZAlert();
  ~TyOZAlert() override;

  std::string AlertText;
  std::unique_ptr<TStringList> Alerts;

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

// Where the current login's list is kept. Its place is the Windows directory; a normal Windows user
// cannot write there, and then it is kept in OwnFolder (the user's application-data folder for yOZ).
std::string AlertFileIn(const std::string& Folder);  // Folder + "\" + login + ".yOZ"
// The file to read: the one in OwnFolder when it exists, else the one in the Windows directory.
std::string AlertFileToRead(const std::string& WindowsDir, const std::string& OwnFolder);
// Writes the list where AlertFileToRead will find it: in OwnFolder when a list is kept there or the
// Windows directory cannot be written (OwnFolder is made when missing). Raises when neither can be.
void SaveAlertFile(TyOZAlert* Alerts, const std::string& WindowsDir, const std::string& OwnFolder);
