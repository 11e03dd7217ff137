// The board of 100, 1,000 and 10,000 users: the scan of the user file alone, and the whole fill of a
// shown report list view (scan, rows, column sizing, painting). Target: 1,000 users under 100 ms.
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "BenchClock.h"
#include "ComCtrls.h"
#include "Forms.h"
#include "IsamFile.h"
#include "SysUtils.h"
#include "yOZFile.h"

namespace {

// YOZ_BENCH_KEEP: the databases stay in the temporary folder and the next run reuses them (making
// 10,000 users takes minutes: every add is written through).
bool Keep() { return std::getenv("YOZ_BENCH_KEEP") != nullptr; }

std::string MakeDatabase(int Users) {
  char tmp[MAX_PATH];
  GetTempPathA(MAX_PATH, tmp);
  std::string dir = std::string(tmp) + "yoz-board-bench-" +
                    (Keep() ? std::string("kept") : std::to_string(GetCurrentProcessId())) + "-" +
                    std::to_string(Users) + "\\";
  if (Keep() && GetFileAttributesA((dir + "yOZDB31.isd").c_str()) != INVALID_FILE_ATTRIBUTES) return dir;
  CreateDirectoryA(dir.c_str(), nullptr);
  TIsamFile f("");
  if (!f.CreateFile(dir + "yOZDB31", 10, UserFileFormat) || !f.Open(dir + "yOZDB31")) {
    std::printf("cannot open the user file: %s\n", f.ErrorText().c_str());
    std::exit(1);
  }
  static const char* const statuses[] = {"Available", "At lunch", "In meeting", "Gone home", "Offline", "Training"};
  static const char* const departments[] = {"Sales", "Accounts", "Support", "Development"};
  const std::string today = DateTimeToStr(Now());
  const std::string older = DateTimeToStr(Now() - 3);
  for (int i = 0; i < Users; ++i) {
    TUserRec rec;
    rec.SetName("User number " + std::to_string(i));
    rec.SetLogInName("USER" + std::to_string(i));
    rec.SetStatus(statuses[i % 6]);
    rec.SetDepartment(departments[i % 4]);
    rec.SetExtension(std::to_string(1000 + i));
    rec.SetComments(i % 3 ? "" : "back after lunch");
    rec.SetUpdated(i % 2 ? today : older);
    if (!f.Add(rec.Data, "")) {
      std::printf("cannot add a user: %s\n", f.ErrorText().c_str());
      std::exit(1);
    }
  }
  f.Close();
  return dir;
}

double Best(std::vector<double> v) { return *std::min_element(v.begin(), v.end()); }

double Median(std::vector<double> v) {
  std::sort(v.begin(), v.end());
  return v[v.size() / 2];
}

void RemoveDatabase(const std::string& Dir) {
  if (Keep()) return;
  for (const char* n : {"yOZDB31.ism", "yOZDB31.isd", "yOZ.cfg"}) DeleteFileA((Dir + n).c_str());
  RemoveDirectoryA(Dir.c_str());
}

// Times each step of a fill on the real board.
class TTimedBoard : public IBoardView {
public:
  explicit TTimedBoard(IBoardView* AInner) : FInner(AInner) {}
  double ClearMs = 0, AddMs = 0, SizeMs = 0, EndMs = 0;
  void BeginUpdate() override { FInner->BeginUpdate(); }
  void EndUpdate() override { Time(EndMs, [&] { FInner->EndUpdate(); }); }
  void Clear() override { Time(ClearMs, [&] { FInner->Clear(); }); }
  void AddRow(const TListRow& Row) override { Time(AddMs, [&] { FInner->AddRow(Row); }); }
  // The board's own refill (items reused where it can), timed whole.
  void SetRows(const std::vector<TListRow>& Rows) override { Time(SetMs, [&] { FInner->SetRows(Rows); }); }
  double SetMs = 0;
  void AutoSizeColumn(int Column) override {
    Time(SizeMs, [&] {
      if (RawView)
        SendMessageA(RawView, LVM_SETCOLUMNWIDTH, Column, LVSCW_AUTOSIZE_USEHEADER);
      else
        FInner->AutoSizeColumn(Column);
    });
  }
  HWND RawView = nullptr;
  int RowCount() const override { return FInner->RowCount(); }
  TListRow Row(int Index) const override { return FInner->Row(Index); }
  int SelectedIndex() const override { return FInner->SelectedIndex(); }

private:
  template <class F>
  void Time(double& Sum, F f) {
    LARGE_INTEGER a = Clock();
    f();
    Sum += Ms(a, Clock());
  }
  IBoardView* FInner;
};

// Times the steps of one scan as the board's scan takes them: the reads alone, then the fields taken
// from each record, then the update time formatted, then the rows gathered.
void ScanSteps(TyOZFile& Db, const std::string& Dir) {
  TIsamFile f("");
  f.RecordFormat = UserFileFormat;
  TUserRec rec;
  std::vector<double> steps[4];
  for (int run = 0; run < 9; ++run)
    for (int step = 0; step < 4; ++step) {
      std::vector<TListRow> rows;
      LARGE_INTEGER a = Clock();
      if (!f.Open(Dir + "yOZDB31") || !f.First(IsamKeyIndex)) std::exit(1);
      const double today = Date();
      while (f.GetNext(rec.Data, IsamKeyIndex, IsamScanFlags, "")) {
        if (step == 0) continue;
        TListRow row;
        row.Caption = rec.Name();
        std::string status = rec.Status();
        std::string updated = step >= 2 ? Db.FormatUpdateTime(rec.Updated(), today) : rec.Updated();
        row.SubItems = {status, updated, rec.Extension(), rec.Department(), rec.LogInName(), rec.Comments()};
        row.ImageIndex = Db.StatusImageIndex(status);
        if (step == 3) rows.push_back(std::move(row));
      }
      f.Close();
      steps[step].push_back(Ms(a, Clock()));
    }
  std::printf("         scan (median of 9): reads %.1f, + fields %.1f, + update time %.1f, + rows kept %.1f ms\n",
              Median(steps[0]), Median(steps[1]), Median(steps[2]), Median(steps[3]));
  // What the update time's conversions cost, 10,000 of each.
  const std::string when = DateTimeToStr(Now());
  double sink = 0;
  LARGE_INTEGER a = Clock();
  for (int i = 0; i < 10000; ++i) sink += Date();
  LARGE_INTEGER b = Clock();
  for (int i = 0; i < 10000; ++i) sink += StrToDateTime(when);
  LARGE_INTEGER c = Clock();
  const TDateTime at = Now();
  for (int i = 0; i < 10000; ++i) sink += double(FormatDateTime("hh:mm", at).size());
  LARGE_INTEGER d = Clock();
  std::printf("         10,000 of each: Date() %.1f, StrToDateTime %.1f, FormatDateTime %.1f ms%s\n", Ms(a, b), Ms(b, c),
              Ms(c, d), sink == 0.5 ? " " : "");
}

}  // namespace

int main() {
  InitForms();
  TForm* form = new TForm(nullptr);
  form->SetBounds(10, 10, 900, 600);
  TListView* lv = new TListView(form);
  lv->SetParent(form);
  lv->SetViewStyle(vsReport);
  lv->SetBounds(0, 0, 880, 560);
  for (const char* c : {"User", "Status", "Updated", "Ext", "Department", "PC Name", "Comments..."})
    lv->Columns()->Add()->SetCaption(c);
  lv->Column(5)->SetWidth(0);
  form->Show();
  Application->ProcessMessages();

  // YOZ_BENCH_SMALL: leave out 10,000 users; YOZ_BENCH_PARTS: time the steps of one more fill
  // (YOZ_BENCH_RAW: with the list view's own column sizing, for comparison).
  std::printf("%8s %16s %22s %22s\n", "users", "scan only ms", "board (view) ms", "of which fill ms");
  std::printf("%8s %16s %22s %22s\n", "", "best / median", "best / median", "best / median");
  for (int users : {100, 1000, 10000}) {
    if (users == 10000 && std::getenv("YOZ_BENCH_SMALL")) break;
    std::string dir = MakeDatabase(users);
    TyOZFile db(dir);
    TListViewBoard board(lv);
    const int runs = users >= 10000 ? 7 : 11;
    std::vector<double> scan, fill, fillOnly;
    for (int r = 0; r < runs; ++r) {
      LARGE_INTEGER a = Clock();
      auto rows = db.BoardRows();
      LARGE_INTEGER b = Clock();
      if (rows.size() != size_t(users)) std::printf("scan gave %zu rows\n", rows.size());
      scan.push_back(Ms(a, b));
    }
    for (int r = 0; r < runs; ++r) {
      LARGE_INTEGER a = Clock();
      db.FillMainList(&board);
      LARGE_INTEGER m = Clock();
      UpdateWindow(lv->Handle());
      Application->ProcessMessages();
      LARGE_INTEGER b = Clock();
      if (lv->Items()->Count() != users) std::printf("board shows %d rows\n", lv->Items()->Count());
      fill.push_back(Ms(a, b));
      fillOnly.push_back(Ms(a, m));
    }
    std::printf("%8d %7.1f / %6.1f %13.1f / %6.1f %13.1f / %6.1f\n", users, Best(scan), Median(scan), Best(fill),
                Median(fill), Best(fillOnly), Median(fillOnly));
    if (std::getenv("YOZ_BENCH_PARTS")) {
      ScanSteps(db, dir);
      TTimedBoard timed(&board);
      if (std::getenv("YOZ_BENCH_RAW")) timed.RawView = lv->Handle();
      db.FillMainList(&timed);
      std::printf("         parts: rows set %.1f (clear %.1f, add %.1f), column sizing %.1f, end update %.1f ms\n",
                  timed.SetMs, timed.ClearMs, timed.AddMs, timed.SizeMs, timed.EndMs);
      // The end of the update alone: the list view's redraw switched off and on again, then invalidated.
      Application->ProcessMessages();
      HWND h = lv->Handle();
      SendMessageA(h, WM_SETREDRAW, FALSE, 0);
      LARGE_INTEGER a = Clock();
      SendMessageA(h, WM_SETREDRAW, TRUE, 0);
      LARGE_INTEGER b = Clock();
      InvalidateRect(h, nullptr, TRUE);
      LARGE_INTEGER c = Clock();
      UpdateWindow(h);
      LARGE_INTEGER d = Clock();
      std::printf("         end of update alone: redraw on %.1f, invalidate %.1f, paint %.1f ms\n", Ms(a, b), Ms(b, c),
                  Ms(c, d));
    }
    lv->Items()->Clear();
    RemoveDatabase(dir);
  }
  TObject::Free(form);
  DoneForms();
  return 0;
}
