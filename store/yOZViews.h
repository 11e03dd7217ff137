#pragma once
// What the stores need of the windows they fill: the board (main list view), the in-box list view,
// the department tree and the single-message read dialog. The application implements these on its
// real controls; the stores gather plain rows and hand them over through these thin interfaces.
#include <windows.h>

#include <string>
#include <unordered_map>
#include <vector>

// Message boxes the stores show (all with an OK button). Tests and the application may replace the
// hook, e.g. to route them to the class library's message dialog.
enum TStoreMsgBoxType { smbError, smbWarning, smbInformation };
inline void DefaultStoreMessageBox(const std::string& Text, TStoreMsgBoxType Type) {
  static const char* const captions[] = {"Error", "Warning", "Information"};
  static const UINT icons[] = {MB_ICONERROR, MB_ICONWARNING, MB_ICONINFORMATION};
  MessageBoxA(GetActiveWindow(), Text.c_str(), captions[Type], MB_OK | icons[Type]);
}
inline void (*StoreMessageBox)(const std::string& Text, TStoreMsgBoxType Type) = DefaultStoreMessageBox;

// Ends the application (the ISAM library is missing). The default posts WM_QUIT, so the caller's
// constructor still completes and the message loop then ends.
inline void DefaultStoreTerminate() { PostQuitMessage(0); }
inline void (*StoreTerminate)() = DefaultStoreTerminate;

// One list-view row: caption, sub-items in column order, image index (-1 = none).
struct TListRow {
  std::string Caption;
  std::vector<std::string> SubItems;
  int ImageIndex = -1;

  // Sub-item Index, or empty when the row has fewer.
  std::string SubItem(size_t Index) const { return Index < SubItems.size() ? SubItems[Index] : std::string(); }
};

// Board columns: "User" (caption), then these sub-items.
enum TBoardSubItem { bsStatus = 0, bsUpdated = 1, bsExt = 2, bsDepartment = 3, bsLogInName = 4, bsComments = 5 };
// Column count of the board and the "PC Name" column that keeps its width of 0.
constexpr int BoardColumnCount = 7;
constexpr int BoardPCNameColumn = 5;

class IBoardView {
public:
  virtual ~IBoardView() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  virtual void AddRow(const TListRow& Row) = 0;
  // Replaces every row by Rows: a clear and an add of each, unless the board has a cheaper way.
  virtual void SetRows(const std::vector<TListRow>& Rows) {
    Clear();
    for (const TListRow& row : Rows) AddRow(row);
  }
  // Sizes one column to its contents and header (LVSCW_AUTOSIZE_USEHEADER).
  virtual void AutoSizeColumn(int Column) = 0;
  virtual int RowCount() const = 0;
  virtual TListRow Row(int Index) const = 0;
  // The first selected row, or -1.
  virtual int SelectedIndex() const = 0;
};

// In-box: caption FromName; sub-items Subject, MsgStatus, key, Sent; a three-panel status bar.
class IInBoxView {
public:
  virtual ~IInBoxView() = default;
  virtual void BeginUpdate() = 0;
  virtual void EndUpdate() = 0;
  virtual void Clear() = 0;
  virtual void AddRow(const TListRow& Row) = 0;
  virtual void SetPanelText(int Panel, const std::string& Text) = 0;
};

// The main window's tree: one top-level node with children.
class IDepartmentTree {
public:
  virtual ~IDepartmentTree() = default;
  virtual void ClearNodes() = 0;
  virtual void AddTopNode(const std::string& Text) = 0;
  // A child of the last top-level node added.
  virtual void AddChildNode(const std::string& Text) = 0;
};

// The single-message read dialog, shown modally; it marks or deletes the message itself.
struct TShownMessage {
  std::string Caption;  // "Read Message..."
  std::string Key;      // lblMessagePrimaryKey
  std::string FromName; // lblFrom
  std::string ToName;   // lblTo
  std::string Subject;  // txtSubject
  std::string Body;     // MemoMessage
  std::string Sent;     // lblReceived: when the sender sent it
};

class IReadMessageDialog {
public:
  virtual ~IReadMessageDialog() = default;
  virtual void ShowModalMessage(const TShownMessage& Message) = 0;
};

// A memory board for callers without a window (tests, benchmarks, the alert comparison).
class TBoardRows : public IBoardView {
public:
  std::vector<TListRow> Rows;
  int Selected = -1;
  int UpdateDepth = 0;
  void BeginUpdate() override { ++UpdateDepth; }
  void EndUpdate() override { --UpdateDepth; }
  void Clear() override { Rows.clear(); Selected = -1; }
  void AddRow(const TListRow& Row) override { Rows.push_back(Row); }
  void AutoSizeColumn(int) override {}
  int RowCount() const override { return static_cast<int>(Rows.size()); }
  TListRow Row(int Index) const override { return Rows.at(Index); }
  int SelectedIndex() const override { return Selected; }
};

// The interfaces on the class library's controls: the board and the in-box are report list views,
// the department branch lives in a tree view.
class TListView;
class TStatusBar;
class TTreeView;
class TTreeNode;

class TListViewBoard : public IBoardView {
public:
  explicit TListViewBoard(TListView* AView) : FView(AView) {}
  void BeginUpdate() override;
  void EndUpdate() override;
  void Clear() override;
  void AddRow(const TListRow& Row) override;
  void SetRows(const std::vector<TListRow>& Rows) override;
  void AutoSizeColumn(int Column) override;
  int RowCount() const override;
  TListRow Row(int Index) const override;
  int SelectedIndex() const override;
  // How often the board was cleared for a fill: tells the window whether its rows changed since.
  unsigned Fills() const { return FFills; }

private:
  TListView* FView;
  unsigned FFills = 0;
  std::string FKeepSelected;  // login of the row selected before the fill under way
  // Widths of the texts measured for the column sizing, in the font they were measured in: most texts
  // of a refill were on the board before (names, departments, statuses).
  std::unordered_map<std::string, int> FTextWidths;
  LOGFONTA FTextWidthsFont{};
};

class TListViewInBox : public IInBoxView {
public:
  TListViewInBox(TListView* AView, TStatusBar* AStatusBar) : FView(AView), FStatusBar(AStatusBar) {}
  void BeginUpdate() override;
  void EndUpdate() override;
  void Clear() override;
  void AddRow(const TListRow& Row) override;
  void SetPanelText(int Panel, const std::string& Text) override;

private:
  TListView* FView;
  TStatusBar* FStatusBar;
};

class TTreeViewDepartments : public IDepartmentTree {
public:
  explicit TTreeViewDepartments(TTreeView* ATree) : FTree(ATree) {}
  void ClearNodes() override;
  void AddTopNode(const std::string& Text) override;
  void AddChildNode(const std::string& Text) override;

private:
  TTreeView* FTree;
  TTreeNode* FTop = nullptr;
};
