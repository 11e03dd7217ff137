#pragma once
// The shared list of departments ("yOZDeps") and the board's department filter.
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "Classes.h"
#include "IsamFile.h"
#include "yOZCB.h"
#include "yOZViews.h"

class TYOZDepartment : public TObject {
public:
  TYOZDepartment();
  ~TYOZDepartment() override;

  std::unique_ptr<TyOZCB> Settings;
  std::unique_ptr<TIsamFile> DepartmentFile;
  std::string FilterDepartment;
  bool FilterActive = false;

  void CreateDepartmentFile();
  void AddDepartment(const std::string& Name);
  void DeleteDepartment(int Key);
  void ReplaceDepartment(const std::string& OldName, const std::string& NewName);
  std::string ReadDepartment(int Key);
  std::string SelectDepartment(int Key);
  void FillDepartmentCombo(TStrings* Names);
  void FillDepartmentList(TStrings* Names);
  void FillDepartmentTree(IDepartmentTree* Tree);

private:
  // The data set's name, from the database folder of the per-user settings (read every time).
  std::string DataSetName();
  void OpenDepartmentFile();
  // Every department in key order with its key. No data set yet gives none; one that cannot be
  // opened or read to its end raises.
  std::vector<std::pair<std::string, int>> ReadAll();
  void FillNames(TStrings* Names);
};
