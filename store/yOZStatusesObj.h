#pragma once
// The shared list of statuses users may choose besides the built-in commands: "yOZStats".
#include <memory>
#include <string>

#include "Classes.h"
#include "IsamFile.h"

class TyOZFile;

class TYOZStatus : public TObject {
public:
  // Folder of the data set: the database object's DBPath.
  explicit TYOZStatus(TyOZFile* ADatabase);
  ~TYOZStatus() override;

  std::unique_ptr<TIsamFile> StatusFile;

  void CreateStatusFile();
  [[nodiscard]] bool IsBuiltInStatus(const std::string& Status) const;
  void AddStatus(const std::string& Name);
  void DeleteStatus(int Key);
  void ReplaceStatus(const std::string& OldName, const std::string& NewName);
  std::string ReadStatus(int Key);
  void FillStatusList(TStrings* Names);
  void FillSelectableStatuses(TStrings* Names);

private:
  TyOZFile* Database;
  std::string DataSetName() const;
  void OpenStatusFile();
};
