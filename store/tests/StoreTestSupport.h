#pragma once
// Helpers of the store's test programs on top of the shared ones (private folders and registry hive in
// TestSupport.h): whole files, hand-packed record fields, recorded message boxes, copies at once.
#include <windows.h>

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "TestSupport.h"
#include "yOZViews.h"

std::string ReadWholeFile(const std::string& FileName);
void WriteWholeFile(const std::string& FileName, const std::string& Text);
std::vector<std::string> SplitLines(const std::string& Text);  // on CR LF

// The message of the exception Op raises, or "no exception".
std::string Raised(const std::function<void()>& Op);

// Fields of a record buffer packed by hand at their offsets, independent of the store's own packing.
void PutText(uint8_t* Rec, size_t Offset, size_t Size, const std::string& Text);
std::string GetText(const uint8_t* Rec, size_t Offset, size_t Size);
void PutInt(uint8_t* Rec, size_t Offset, int16_t Value);
int16_t GetInt(const uint8_t* Rec, size_t Offset);

// Message boxes the store shows are recorded here instead of shown.
extern std::vector<std::string> ShownMessageBoxes;
void RecordMessageBoxes();

// Runs Work(0) ... Work(Count-1) on Count threads released at the same moment, as copies on several
// machines doing the same thing at once; returns the messages of the exceptions they raised.
std::vector<std::string> RunAtOnce(int Count, const std::function<void(int)>& Work);

// The user's database folder setting (in the test's registry sandbox) set to Folder.
void SetDatabaseFolder(const std::string& Folder);

// A department tree that records its nodes: top nodes plain, children indented by two blanks.
class TRecordingTree : public IDepartmentTree {
public:
  std::vector<std::string> Nodes;
  void ClearNodes() override { Nodes.clear(); }
  void AddTopNode(const std::string& Text) override { Nodes.push_back(Text); }
  void AddChildNode(const std::string& Text) override { Nodes.push_back("  " + Text); }
};
