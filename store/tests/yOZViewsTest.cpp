// The stores' fills on the class library's real controls.
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <tuple>

#include "ComCtrls.h"
#include "Forms.h"
#include "IsamFile.h"
#include "MessageObj.h"
#include "StoreTestSupport.h"
#include "SysUtils.h"
#include "WinUtils.h"
#include "yOZAlert.h"
#include "yOZDepartmentObj.h"
#include "yOZFile.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment);

class ViewsTest : public ::testing::Test {
protected:
  void SetUp() override {
    RecordMessageBoxes();
    ShowOfflineUsers = true;
    Form.reset(new TForm(nullptr));
    Form->SetBounds(20, 20, 600, 300);
    Board = new TListView(Form.get());
    Board->SetParent(Form.get());
    Board->SetViewStyle(vsReport);
    Board->SetBounds(0, 0, 600, 300);
    for (const char* c : {"User", "Status", "Updated", "Ext", "Department", "PC Name", "Comments..."})
      Board->Columns()->Add()->SetCaption(c);
    Board->Column(5)->SetWidth(0);
    Form->HandleNeeded();
    Database = std::make_unique<TyOZFile>(Db.Path());
    Database->RegisterCurrentUser();
  }
  void AddUser(const std::string& Name, const std::string& Login, const std::string& Status, const std::string& Dept) {
    TIsamFile f("");
    ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
    TUserRec rec;
    rec.SetName(Name);
    rec.SetLogInName(Login);
    rec.SetStatus(Status);
    rec.SetDepartment(Dept);
    rec.SetUpdated(DateTimeToStr(Now()));
    ASSERT_TRUE(f.Add(rec.Data, ""));
    f.Close();
  }
  TTempFolder Db{"views"};
  FormPtr Form;
  TListView* Board = nullptr;
  std::unique_ptr<TyOZFile> Database;
};

}  // namespace

TEST_F(ViewsTest, BoardFillsTheListViewAndAdministratorActsOnTheSelectedRow) {
  AddUser("Jo Smith", "JSMITH", "DND", "Sales");
  TListViewBoard board(Board);
  Database->FillMainList(&board);
  ASSERT_EQ(Board->Items()->Count(), 2);
  TListItem* jo = Board->Items()->Item(1);
  EXPECT_EQ(jo->Caption(), "Jo Smith");
  EXPECT_EQ(jo->SubItems()->Strings(0), "DND");
  EXPECT_EQ(jo->SubItems()->Strings(4), "JSMITH");
  EXPECT_EQ(jo->ImageIndex(), 3);
  EXPECT_EQ(Board->Column(5)->Width(), 0);  // "PC Name" stays hidden
  // Columns fit their widest text and their header; the last one fills the rest of the view.
  HDC dc = GetDC(Board->Handle());
  SelectObject(dc, reinterpret_cast<HFONT>(SendMessageA(Board->Handle(), WM_GETFONT, 0, 0)));
  SIZE name = {}, header = {};
  GetTextExtentPoint32A(dc, "Jo Smith", 8, &name);
  GetTextExtentPoint32A(dc, "Department", 10, &header);
  ReleaseDC(Board->Handle(), dc);
  EXPECT_GE(Board->Column(0)->Width(), name.cx);
  EXPECT_GE(Board->Column(4)->Width(), header.cx);
  RECT client;
  GetClientRect(Board->Handle(), &client);
  int sum = 0;
  for (int c = 0; c < 7; ++c) sum += Board->Column(c)->Width();
  EXPECT_GE(sum, client.right - client.left);
  EXPECT_EQ(Board->Items()->UpdateCount(), 0);

  jo->SetSelected(true);
  EXPECT_EQ(board.SelectedIndex(), 1);
  Database->SetSelectedUsersStatus(&board, "Gone home");
  Database->FillMainList(&board);
  EXPECT_EQ(Board->Items()->Item(1)->SubItems()->Strings(0), "Gone home");

  // Sorted by name, the window holds the same rows in the same order with their pictures, each row
  // inserted whole.
  AddUser("Adam Ant", "AANT", "At lunch", "Sales");
  Board->SetSortType(stText);
  Database->FillMainList(&board);
  ASSERT_EQ(Board->Items()->Count(), 3);
  ASSERT_EQ(ListView_GetItemCount(Board->Handle()), 3);
  for (int i = 0; i < 3; ++i) {
    char text[64] = "";
    LVITEMA it{};
    it.mask = LVIF_TEXT | LVIF_IMAGE;
    it.iItem = i;
    it.pszText = text;
    it.cchTextMax = sizeof text;
    SendMessageA(Board->Handle(), LVM_GETITEMA, 0, LPARAM(&it));
    EXPECT_EQ(std::string(text), Board->Items()->Item(i)->Caption());
    EXPECT_EQ(it.iImage, Board->Items()->Item(i)->ImageIndex());
  }
  EXPECT_EQ(Board->Items()->Item(0)->Caption(), "Adam Ant");
  EXPECT_EQ(Board->Items()->Item(0)->ImageIndex(), 0);
  EXPECT_EQ(Board->Items()->Item(1)->Caption(), "Jo Smith");

  // The alert comparison reads the same rows.
  TyOZAlert alerts;
  alerts.AddAlert("JSMITH", "Jo Smith", "DND");
  alerts.CheckAlerts(&board);
  EXPECT_EQ(alerts.AlertText, "Jo Smith has changed status from \"DND\" to \"Gone home\"\r");
}

TEST_F(ViewsTest, InBoxListAndStatusBar) {
  TListView inboxView(nullptr);
  TStatusBar bar(nullptr);
  for (int i = 0; i < 3; ++i) bar.Panels()->Add();
  TYOZMessage messages(Database.get());
  messages.SendMessage(GetLogInName(), GetLogInName(), "Hello", "Body");
  TListViewInBox inbox(&inboxView, &bar);
  messages.FillInBox(&inbox);
  ASSERT_EQ(inboxView.Items()->Count(), 1);
  EXPECT_EQ(inboxView.Items()->Item(0)->SubItems()->Strings(2), "0000000001");
  EXPECT_EQ(bar.Panels()->Items(0)->Text(), "New messages = 1");
  EXPECT_EQ(bar.Panels()->Items(2)->Text(), "Total messages = 1");
}

TEST_F(ViewsTest, DepartmentTree) {
  TRegistrySandbox sandbox;
  SetDatabaseFolder(Db.Path());
  TYOZDepartment departments;
  departments.CreateDepartmentFile();
  departments.AddDepartment("Sales");
  departments.AddDepartment("Accounts");
  TTreeView tree(Form.get());
  tree.SetParent(Form.get());
  tree.Items()->Add(nullptr, "stale");
  TTreeViewDepartments adapter(&tree);
  departments.FillDepartmentTree(&adapter);
  ASSERT_EQ(tree.Items()->TopCount(), 1);
  TTreeNode* top = tree.Items()->TopItem(0);
  EXPECT_EQ(top->Text(), "Departments");
  ASSERT_EQ(top->Count(), 2);
  EXPECT_EQ(top->Item(0)->Text(), "Sales");
  EXPECT_EQ(top->Item(1)->Text(), "Accounts");
}

namespace {

// What the board shows, read from its window: each row's texts and image, in the window's order.
std::vector<TListRow> WindowRows(TListView* View) {
  std::vector<TListRow> rows;
  HWND h = View->Handle();
  for (int i = 0; i < ListView_GetItemCount(h); ++i) {
    TListRow row;
    for (int c = 0; c < BoardColumnCount; ++c) {
      char text[128] = "";
      LVITEMA it{};
      it.mask = LVIF_TEXT | LVIF_IMAGE;
      it.iItem = i;
      it.iSubItem = c;
      it.pszText = text;
      it.cchTextMax = sizeof text;
      SendMessageA(h, LVM_GETITEMA, 0, LPARAM(&it));
      if (c == 0) {
        row.Caption = text;
        row.ImageIndex = it.iImage;
      } else {
        row.SubItems.push_back(text);
      }
    }
    rows.push_back(row);
  }
  return rows;
}

void ExpectSameRows(const std::vector<TListRow>& Shown, const std::vector<TListRow>& Expected) {
  ASSERT_EQ(Shown.size(), Expected.size());
  for (size_t i = 0; i < Shown.size(); ++i) {
    EXPECT_EQ(Shown[i].Caption, Expected[i].Caption) << "row " << i;
    EXPECT_EQ(Shown[i].SubItems, Expected[i].SubItems) << "row " << i;
    EXPECT_EQ(Shown[i].ImageIndex, Expected[i].ImageIndex) << "row " << i;
  }
}

}  // namespace

// A refill keeps the board's items where it can; what the window then shows must be what a fresh fill
// shows: the same rows in the same order with their texts and images, the row chosen before chosen and
// focused again (found by its login), and columns as wide as a board that measures every text anew.
TEST_F(ViewsTest, RefillShowsWhatAFreshFillShows) {
  for (int i = 0; i < 40; ++i)
    AddUser("Support " + std::to_string(100 + i), "SUP" + std::to_string(i), "Available", "Support");
  AddUser("Zoe Sales", "ZSALES", "DND", "Sales");
  AddUser("Al Sales", "ASALES", "At lunch", "Sales");
  TListViewBoard board(Board);
  auto fresh = [&](const std::string* Department) {
    TBoardRows rows;
    if (Department) Database->FillMainListForDepartment(&rows, *Department);
    else Database->FillMainList(&rows);
    return rows.Rows;
  };
  auto chosen = [&] {
    TListItem* s = Board->Selected();
    TListItem* f = Board->ItemFocused();
    return std::make_tuple(Board->SelCount(), s ? s->Caption() : "", f ? f->Caption() : "");
  };
  for (bool sorted : {false, true}) {
    SCOPED_TRACE(sorted ? "sorted" : "in key order");
    Board->SetSortType(sorted ? stText : stNone);
    Board->Items()->Clear();
    Database->FillMainList(&board);
    auto sortedRows = [&](std::vector<TListRow> Rows) {
      if (sorted)
        std::stable_sort(Rows.begin(), Rows.end(),
                         [](const TListRow& a, const TListRow& b) { return AnsiCompareText(a.Caption, b.Caption) < 0; });
      return Rows;
    };
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(nullptr)));

    // Another copy changes a status; the chosen row is found again by its login wherever it is.
    auto item = [&](const std::string& Caption) {
      for (int i = 0; i < Board->Items()->Count(); ++i)
        if (Board->Items()->Item(i)->Caption() == Caption) return Board->Items()->Item(i);
      return static_cast<TListItem*>(nullptr);
    };
    Board->SetSelected(item("Zoe Sales"));
    {
      TIsamFile f("");
      TUserRec rec;
      ASSERT_TRUE(f.Open(Db.Path() + "yOZDB31", 3));
      ASSERT_TRUE(f.GetEqual(rec.Data, TUserRec::ixLogInName, "SUP3"));
      rec.SetStatus("Gone home");
      rec.SetName("Renamed Support");
      ASSERT_TRUE(f.Replace(rec.Data, f.LastKey));
      f.Close();
    }
    const unsigned fills = board.Fills();
    Database->FillMainList(&board);
    EXPECT_EQ(board.Fills(), fills + 1);
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(nullptr)));
    EXPECT_EQ(chosen(), std::make_tuple(1, std::string("Zoe Sales"), std::string("Zoe Sales")));

    // One department: the board loses most of its rows; the chosen row stays chosen.
    const std::string sales = "Sales";
    Database->FillMainListForDepartment(&board, sales);
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(&sales)));
    EXPECT_EQ(chosen(), std::make_tuple(1, std::string("Zoe Sales"), std::string("Zoe Sales")));
    // All users again: a row chosen that is then not on the board leaves none chosen or focused.
    Database->FillMainList(&board);
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(nullptr)));
    Board->SetSelected(item("Support 101"));
    const std::string support = "Support";
    Database->FillMainListForDepartment(&board, sales);
    EXPECT_EQ(chosen(), std::make_tuple(0, std::string(), std::string()));
    // A few rows fewer (deleted one by one rather than all cleared).
    Database->FillMainList(&board);
    Board->SetSelected(item("Al Sales"));
    Database->FillMainListForDepartment(&board, support);
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(&support)));
    EXPECT_EQ(chosen(), std::make_tuple(0, std::string(), std::string()));
    Database->FillMainList(&board);
    ExpectSameRows(WindowRows(Board), sortedRows(fresh(nullptr)));
  }

  // The widths measured once and kept are those of a board that measures every text now, also after
  // the list's font changed.
  auto widths = [&] {
    std::vector<int> w;
    for (int c = 0; c < BoardColumnCount; ++c) w.push_back(Board->Column(c)->Width());
    return w;
  };
  for (int size : {8, 14}) {
    Board->Font()->SetSize(size);
    Database->FillMainList(&board);
    const std::vector<int> kept = widths();
    TListViewBoard measuresAnew(Board);
    for (int c = 0; c < BoardColumnCount; ++c)
      if (c != BoardPCNameColumn) measuresAnew.AutoSizeColumn(c);
    EXPECT_EQ(kept, widths()) << "font size " << size;
  }
}
