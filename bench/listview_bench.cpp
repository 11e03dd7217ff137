// Fills a report list view with 1,000 and 10,000 rows of seven columns and prints the times: the fill
// alone, the fill with the first paint, sizing the columns to their contents, and clearing.
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchClock.h"
#include "ComCtrls.h"
#include "Forms.h"

namespace {
void Fill(TListView* lv, int rows) {
  lv->Items()->BeginUpdate();
  for (int i = 0; i < rows; ++i) {
    TListItem* it = lv->Items()->Add();
    it->SetCaption("User " + std::to_string(rows - i));
    it->SetImageIndex(i % 11);
    TStrings* s = it->SubItems();
    s->Add(i % 3 ? "Available" : "At lunch");
    s->Add("08/12/2026 10:" + std::to_string(10 + i % 50));
    s->Add(std::to_string(2000 + i));
    s->Add(i % 2 ? "Sales" : "IT");
    s->Add("LOGIN" + std::to_string(i));
    s->Add("Back at two");
  }
  lv->Items()->EndUpdate();
}
}  // namespace

int main() {
  InitForms();
  auto* form = new TForm(nullptr);
  form->SetBounds(50, 50, 800, 600);
  auto* lv = new TListView(form);
  lv->SetViewStyle(vsReport);
  lv->SetReadOnly(true);
  lv->SetRowSelect(true);
  lv->SetAlign(alClient);
  for (const char* c : {"User", "Status", "Updated", "Ext", "Department", "PC Name", "Comments..."})
    lv->Columns()->Add()->SetCaption(c);
  lv->SetParent(form);
  form->Show();
  Application->ProcessMessages();

  for (bool sorted : {false, true}) {
    lv->SetSortType(sorted ? stText : stNone);
    for (int rows : {1000, 10000}) {
      LARGE_INTEGER t0 = Clock();
      Fill(lv, rows);
      LARGE_INTEGER t1 = Clock();
      RedrawWindow(lv->Handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
      LARGE_INTEGER t2 = Clock();
      for (int c = 0; c < 7; ++c)
        if (c != 5) SendMessageA(lv->Handle(), LVM_SETCOLUMNWIDTH, WPARAM(c), LVSCW_AUTOSIZE_USEHEADER);
      LARGE_INTEGER t3 = Clock();
      lv->Items()->Clear();
      LARGE_INTEGER t4 = Clock();
      std::printf("%6d rows%s: fill %8.1f ms, fill+paint %8.1f ms, size columns %8.1f ms, clear %8.1f ms\n", rows,
                  sorted ? " sorted by text" : "               ", Ms(t0, t1), Ms(t0, t2), Ms(t2, t3), Ms(t3, t4));
    }
  }
  TObject::Free(form);
  DoneForms();
  return 0;
}
