// Plays a user at a running board from outside, the way a person at that machine would: finds the
// board by its caption, presses keys, clicks rows and tree nodes, and reads what the board shows. It
// also seeds and reads the shared user file for the tests' set-up and checks.
//
//   yozdrive wait <caption> [ms]            wait until a visible window has this caption
//   yozdrive gone <caption> [ms]            wait until no window has this caption
//   yozdrive board <caption>                print the board: one line per row, columns joined by |
//   yozdrive key <caption> <keys>           e.g. ctrl+L, F5, END, BACK*20 (to the focused control)
//   yozdrive key-mods-first-up <caption> <keys>  as key, but the modifiers are let go before the key
//                                           (Alt released while the letter is still down)
//   yozdrive close-box <caption>            what the window's close box sends
//   yozdrive click-row <caption> <login>    left click on the row of that login
//   yozdrive click-tree <caption> <text>    left click on the tree node with that text
//   yozdrive click-tree <caption> <text> <text>...  left click on the node at the end of that path, each
//                                           text part of a node's text (opening only the path)
//   yozdrive click-tab <caption> <text>     left click on the tab with that text
//   yozdrive dblclick-row <caption> <login> double click on the board row of that login
//   yozdrive click-item <caption> <column> <text>   left click on the list row whose column shows text
//   yozdrive click-in <caption> <class> <x> <y>     left click at a client point of the first child
//                                           window of that class (buttons without a window of their own)
//   yozdrive type <caption> <text>          types the text; \n presses Return, \t presses Tab
//   yozdrive text <caption> <class>         print the text of the first child window of that class
//                                           (CR and LF as \r and \n)
//   yozdrive status <caption>               print the status bar's panels joined by |
//   yozdrive click-tool <caption> <x> <y>   left click at x,y of the window's top dock site (its
//                                           command bars)
//   yozdrive bars <caption>                 print each command bar docked on top: left,top,width,height
//                                           in the dock site, top to bottom, then left to right
//   yozdrive click-bar <caption> <n> <x> <y>  left click at x,y of the n-th of those bars (1 = first)
//   yozdrive right-click-bar <caption> <n> <x> <y>  the same with the right button
//   yozdrive right-click-in <caption> <class> <x> <y>  right click at a client point of the first child
//                                           window of that class
//   yozdrive tray-menu <caption>            what a right click on the board's tray icon sends; waits
//                                           until a popup menu shows
//   yozdrive menu-key <keys>                keys as for key, to whatever holds the keyboard (an open menu)
//   yozdrive click-entry <caption> <text>   left click on that entry of the window's list box
//   yozdrive list <caption>                 print the entries of the window's list box, one a line
//   yozdrive click-edit <caption> <n> [class]  left click into the n-th edit (1 = top left, by place)
//   yozdrive edit-start <caption> <n> [class]  print the index of the first character the n-th edit
//                                           shows (0 when its text is shown from the start)
//   yozdrive click-button <caption> <text>  left click on the button, check or radio box with that
//                                           caption ('&' ignored)
//   yozdrive pick <caption> <n> <text>      open the n-th combo box (by place) and click that entry
//   yozdrive drop <caption> <n>             open the n-th combo box (by place) with a click
//   yozdrive combo <caption> <n>            print dropped|closed and the chosen index of that combo box
//   yozdrive enabled <caption>              print 1 when the window takes input, 0 when disabled
//   yozdrive look <caption>                 print the board's text colour (hex) and row height
//   yozdrive width <caption> <class>        print the width of the first child window of that class
//   yozdrive shortcut [lnk]                 print the target of the Startup folder's yOZ.lnk (or of
//                                           that shortcut file)
//   yozdrive answer <box caption> <button>  wait for a message box, print its text, click the button
//   yozdrive seed <folder> <login>:<admin>:<department>:<comment> ...   user file and departments
//   yozdrive user <folder> <login>          print status|comments|administrator of a login
//   yozdrive record <folder> <login>        print name|status|extension|department|comments|administrator
//   yozdrive send <folder> <to> <from> <subject> <body>   a message, as the send dialog writes it
//   yozdrive box <caption> [ms]             wait for a message box with this caption, print its text
//   yozdrive box-lines <caption> [ms]       wait for that message box, print its text's lines as it
//                                           shows them; a line wider than the text's room, which the
//                                           box breaks again where the system likes, starts with "!"
//   yozdrive press <caption> <button>       wait for that message box, click its button (e.g. OK)
//   yozdrive churn <folder> <other> <seconds> <logtype> <mark>   write as fast as a busy user would:
//                                           own status changes, messages to <other>, "yOZ.cfg"
//                                           rewritten with <logtype> and reserved bytes <mark>;
//                                           prints "sent <subject>" per message stored
//   yozdrive changer <folder> <notes> <caption>   changes the login's own status as its board would, or by
//                                           keys on its board, each time the folder <notes> gives it the
//                                           next note "go-<n>" (see Changer)
//   yozdrive follow <caption> <login> <notes> <changes> <period ms> <seed>   asks a changer on another
//                                           machine for that many changes of the login's status at random
//                                           moments, half by keys, and waits for each on this board; prints
//                                           how long they took to show and every change lost
//   yozdrive dump <folder> users|messages   print every login of the user file / subject of a message
//   yozdrive messages <folder> <login>      print key|status|from|subject|body of the login's messages
//   yozdrive set-status <folder> <status>   the driver's login sets its own status, as its board would
//   yozdrive held <caption> [ms]            wait until the window holds the keyboard on its own (it is
//                                           foreground, active and has the focus inside), without making
//                                           it foreground; print what holds it instead on failure
//   yozdrive answers <caption> [ms]         wait until the window's thread answers a message (a window
//                                           hidden without a window manager keeps it waiting up to 2 s)
//   yozdrive painted <caption> [ms]         wait until the window and every window inside it have
//                                           nothing left to paint (what the screen shows is current)
//   yozdrive click-close <caption>          left click on the window's close box
//   yozdrive dblclick-caption <caption>     double click on the window's caption bar (maximise, restore)
//   yozdrive pixel <caption> <x> <y>        print the colour (RRGGBB) on screen at that client point; a
//                                           negative x or y counts from the right or bottom edge
//   yozdrive marks <caption> <x> <y> <w> <h>  print how many pixels of that client rectangle differ in
//                                           colour from its top left pixel (a plain area gives 0)
//   yozdrive rect <caption> <class>         print left,top,width,height of the first visible child window
//                                           of that class, in the window's client coordinates
//   yozdrive hover <caption> <class> <x> <y>  move the pointer to a client point of that child window
//   yozdrive hover-screen <x> <y>           move the pointer to that screen point
//   yozdrive shown <class>                  print the number of visible windows of that class
//   yozdrive popup-rect                     print left,top,right,bottom of the open popup menu (#32768)
//   yozdrive class-rect <class>             print left,top,right,bottom of the visible top-level window
//                                           of that class (e.g. a hint window)
//   yozdrive client-rect <class>            print left,top,width,height on the screen of the client area
//                                           of the visible top-level window of that class (a board
//                                           without its caption yet: TfrmMain)
//   yozdrive screen-pixel <x> <y>           print the colour (RRGGBB) on screen at that point
//   yozdrive row-rect <caption> <login>     print left,top,right,bottom on the screen of the board row of
//                                           that login
//   yozdrive hover-bar <caption> <n> <x> <y>  move the pointer to x,y of the n-th command bar (as click-bar)
//   yozdrive click-at <caption> <x> <y>     left click at that client point of the window itself (a
//                                           negative x or y counts from the right or bottom edge)
//   yozdrive tree <caption>                 print the tree's nodes in view, top to bottom: level|text|
//                                           image|selected image|button|state|text rectangle (left,top,
//                                           right,bottom in the window's client coordinates), state
//                                           "selected" for the selected node, "hidden" when it is below
//                                           the bottom edge; then a line "root|<left of the first root's
//                                           text in the tree>", less than before when scrolled right
//   yozdrive icon <caption> <x> <y> <path>  print how many pixels of the 16 x 16 picture left of a tree
//                                           node's text at x,y (its left top, as tree prints it) differ
//                                           from the shell's own small icon of the path (My Computer for
//                                           "::drives") drawn on white: 0 when the node shows that icon
//   yozdrive same <caption> <x1> <y1> <x2> <y2> <w> <h>  print how many pixels of the client rectangle
//                                           at x1,y1 differ from those of the one at x2,y2
//
// With YOZDRIVE_GO set to a file name, every command first waits (30 s at most) until that file exists:
// copies started one by one on several machines then act at the same moment. YOZDRIVE_READY names a
// file the command makes as it starts that wait, so the starter knows when every copy is waiting.
// Exit code 0 on success, 1 on a failed wait or check, 2 on bad use.
#include <windows.h>
#include <commctrl.h>
#include <shellapi.h>
#include <shlobj.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "IsamFile.h"
#include "WinUtils.h"
#include "MessageObj.h"
#include "yOZFile.h"
#include "SysUtils.h"
#include "yOZDepartmentObj.h"
#include "yOZUser.h"

namespace {

HWND FindBoard(const std::string& Caption) {
  struct Ctx {
    const std::string* Caption;
    HWND Found;
  } ctx{&Caption, nullptr};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        char text[512] = {};
        GetWindowTextA(w, text, sizeof text);
        if (IsWindowVisible(w) && *c->Caption == text) {
          c->Found = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.Found;
}

// Every child window (at any depth) of this class, in the order EnumChildWindows meets them; the
// first one only when First is set.
std::vector<HWND> ChildrenOfClass(HWND Parent, const char* Class, bool First) {
  struct Ctx {
    const char* Class;
    bool First;
    std::vector<HWND> Found;
  } ctx{Class, First, {}};
  EnumChildWindows(
      Parent,
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        char cls[128] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (_stricmp(cls, c->Class) != 0) return TRUE;
        c->Found.push_back(w);
        return !c->First;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.Found;
}

HWND FindChild(HWND Parent, const char* Class) {
  std::vector<HWND> found = ChildrenOfClass(Parent, Class, true);
  return found.empty() ? nullptr : found.front();
}

// Memory inside the board's process for the list and tree messages that carry pointers.
class TRemote {
public:
  explicit TRemote(HWND Wnd, size_t Size = 4096) : FSize(Size) {
    DWORD pid = 0;
    GetWindowThreadProcessId(Wnd, &pid);
    FProcess = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (FProcess) FMem = VirtualAllocEx(FProcess, nullptr, Size, MEM_COMMIT, PAGE_READWRITE);
  }
  ~TRemote() {
    if (FMem) VirtualFreeEx(FProcess, FMem, 0, MEM_RELEASE);
    if (FProcess) CloseHandle(FProcess);
  }
  bool Ok() const { return FMem != nullptr; }
  // Sends Msg about Item, whose text the control writes into this memory: Item comes back filled in,
  // and its text is returned.
  template <class TItem>
  std::string Text(HWND Wnd, UINT Msg, WPARAM W, TItem& Item) const {
    Item.pszText = At(1024);
    Item.cchTextMax = 1024;
    Write(0, &Item, sizeof Item);
    SendMessageA(Wnd, Msg, W, LPARAM(At(0)));
    Read(0, &Item, sizeof Item);
    char buf[1024] = {};
    Read(1024, buf, sizeof buf - 1);
    return buf;
  }
  char* At(size_t Offset) const { return static_cast<char*>(FMem) + Offset; }
  void Write(size_t Offset, const void* Data, size_t Size) const {
    WriteProcessMemory(FProcess, At(Offset), Data, Size, nullptr);
  }
  void Read(size_t Offset, void* Data, size_t Size) const {
    ReadProcessMemory(FProcess, At(Offset), Data, Size, nullptr);
  }

private:
  HANDLE FProcess = nullptr;
  void* FMem = nullptr;
  size_t FSize;
};

std::string ItemText(HWND List, const TRemote& R, int Item, int Sub) {
  LVITEMA it{};
  it.iSubItem = Sub;
  return R.Text(List, LVM_GETITEMTEXTA, WPARAM(Item), it);
}

std::vector<std::vector<std::string>> BoardRows(HWND List) {
  std::vector<std::vector<std::string>> rows;
  TRemote r(List);
  if (!r.Ok()) return rows;
  int n = int(SendMessageA(List, LVM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::vector<std::string> row;
    for (int c = 0; c < 7; ++c) row.push_back(ItemText(List, r, i, c));
    rows.push_back(row);
  }
  return rows;
}

// Brings the machine's window above the other machine's on the shared screen (each machine's
// window manager knows only its own windows, so "foreground" alone does not raise it).
void Raise(HWND Top) {
  SetWindowPos(Top, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
  SetWindowPos(Top, HWND_NOTOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

// Makes Top the foreground window and waits until its thread has taken that in: the thread answers,
// and holds Top active with the keyboard focus inside it, over a few looks. A window that has just
// hidden keeps Wine busy for a while (it waits for the window to be withdrawn) and may hand the
// foreground to the desktop afterwards: keys sent meanwhile reach no window of the board.
bool Foreground(HWND Top, int Ms = 10000) {
  const DWORD thread = GetWindowThreadProcessId(Top, nullptr);
  const DWORD start = GetTickCount();
  for (int steady = 0; GetTickCount() - start < DWORD(Ms); Sleep(50)) {
    if (GetForegroundWindow() != Top) SetForegroundWindow(Top);
    DWORD_PTR answer = 0;
    SendMessageTimeoutA(Top, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer);
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    const bool held = GetForegroundWindow() == Top && GetGUIThreadInfo(thread, &info) && info.hwndActive == Top &&
                      info.hwndFocus && (info.hwndFocus == Top || IsChild(Top, info.hwndFocus));
    steady = held ? steady + 1 : 0;
    if (steady >= 3) return true;
  }
  std::fprintf(stderr, "the window \"%s\" does not get the keyboard\n", [&] {
    static char text[256];
    GetWindowTextA(Top, text, sizeof text);
    return text;
  }());
  return false;
}

// Gives the thread of W time to take in the input just sent to it, by its own pace, not the clock's.
// The input is in the thread's queue once SendInput returns; a WM_NULL sent to the thread is answered
// only when it next looks for messages, so a busy thread holds each round trip until it is free, and
// between round trips it mostly takes the next message waiting. Events counts what the input makes
// (its events and what handling them posts on: a key's WM_CHAR, the class library's own notes), so a
// few more round trips than events are made. This proves nothing by itself: the caller's own check,
// a wait for the input's effect, tells what did or did not happen. False when the thread stops
// answering.
bool Settle(HWND W, size_t Events) {
  if (!W) W = GetForegroundWindow();
  if (!W) return false;
  for (size_t i = 0; i < 3 * Events + 2; ++i) {
    DWORD_PTR answer = 0;
    if (!SendMessageTimeoutA(W, WM_NULL, 0, 0, SMTO_NORMAL, 10000, &answer)) return false;
  }
  return true;
}

// One mouse event at a point of the screen: every event carries its point, so no pointer position
// left over from another machine's or an earlier warp decides where a press lands.
INPUT MouseAt(POINT Screen, DWORD Flags) {
  const int w = GetSystemMetrics(SM_CXSCREEN), h = GetSystemMetrics(SM_CYSCREEN);
  INPUT in{};
  in.type = INPUT_MOUSE;
  in.mi.dx = LONG((Screen.x * 65536LL + w - 1) / w);
  in.mi.dy = LONG((Screen.y * 65536LL + h - 1) / h);
  in.mi.dwFlags = Flags | MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  return in;
}

// The presses of a double click go in one SendInput: they are stamped at once, so they count as one
// double click however long the program takes to handle the first; then the wait until the window
// under the point has handled them.
void ClickScreen(POINT At, int Count = 1, bool Right = false) {
  SetCursorPos(At.x, At.y);
  HWND under = WindowFromPoint(At);
  std::vector<INPUT> in;
  for (int c = 0; c < Count; ++c) {
    in.push_back(MouseAt(At, Right ? MOUSEEVENTF_RIGHTDOWN : MOUSEEVENTF_LEFTDOWN));
    in.push_back(MouseAt(At, Right ? MOUSEEVENTF_RIGHTUP : MOUSEEVENTF_LEFTUP));
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  Settle(under, 2 * in.size());
}

void Click(HWND Wnd, POINT ClientPoint, int Count = 1, bool Right = false) {
  ClientToScreen(Wnd, &ClientPoint);
  HWND top = GetAncestor(Wnd, GA_ROOT);
  Raise(top);
  // A disabled window (behind a modal box) never gets the focus: the click goes to it as it is.
  if (IsWindowEnabled(top)) Foreground(top, 3000);
  ClickScreen(ClientPoint, Count, Right);
}

// Every visible child window of this class, top to bottom, then left to right.
std::vector<HWND> ChildrenByPlace(HWND Parent, const char* Class) {
  std::vector<HWND> found = ChildrenOfClass(Parent, Class, false);
  std::erase_if(found, [](HWND w) { return !IsWindowVisible(w); });
  auto place = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return std::make_pair(r.top, r.left);
  };
  std::sort(found.begin(), found.end(), [&](HWND a, HWND b) { return place(a) < place(b); });
  return found;
}

std::string WindowText(HWND W) {
  char text[1024] = {};
  GetWindowTextA(W, text, sizeof text);
  return text;
}

// A message box's text as the program gave it, without the "\n"s that fitted it to the box's lines.
std::string Unfitted(std::string S) {
  S.erase(std::remove(S.begin(), S.end(), '\n'), S.end());
  return S;
}

std::string WithoutAmpersands(std::string S) {
  S.erase(std::remove(S.begin(), S.end(), '&'), S.end());
  return S;
}

// What a failed look-up met: every top-level window in Z order, with its class, caption, visibility,
// owner and process, so that a box not found says what was there instead.
void TellTopWindows() {
  EnumWindows(
      [](HWND w, LPARAM) -> BOOL {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        const std::string text = WindowText(w);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        std::fprintf(stderr, "  %p %s \"%s\" %s owner %p pid %lu\n", (void*)w, cls, text.c_str(),
                     IsWindowVisible(w) ? "shown" : "hidden", (void*)GetWindow(w, GW_OWNER), pid);
        return TRUE;
      },
      0);
}

// List box messages carry their buffers across processes themselves (unlike the list and tree
// views' messages, which need TRemote). Wine hands the text of another process's list back whole only
// to the wide message.
std::vector<std::string> ListEntries(HWND List) {
  std::vector<std::string> entries;
  int n = int(SendMessageW(List, LB_GETCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    std::wstring buf(size_t(std::max<LRESULT>(0, SendMessageW(List, LB_GETTEXTLEN, WPARAM(i), 0))) + 1, L'\0');
    SendMessageW(List, LB_GETTEXT, WPARAM(i), LPARAM(buf.data()));
    char text[1024] = {};
    WideCharToMultiByte(CP_ACP, 0, buf.c_str(), -1, text, sizeof text - 1, nullptr, nullptr);
    entries.push_back(text);
  }
  return entries;
}

POINT ItemMiddle(HWND List, size_t Index) {
  RECT rc{};
  SendMessageA(List, LB_GETITEMRECT, WPARAM(Index), LPARAM(&rc));
  return POINT{rc.left + 4, (rc.top + rc.bottom) / 2};
}

int ClickEntry(HWND Window, const std::string& Text) {
  HWND list = FindChild(Window, "TListBox");
  if (!list) return 1;
  auto entries = ListEntries(list);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] != Text) continue;
    Click(list, ItemMiddle(list, i));
    return 0;
  }
  std::fprintf(stderr, "no entry %s\n", Text.c_str());
  return 1;
}

int ClickCentre(HWND W) {
  RECT rc;
  GetClientRect(W, &rc);
  Click(W, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
  return 0;
}

int ClickButton(HWND Window, const std::string& Text) {
  for (const char* cls : {"TButton", "TBitBtn", "TCheckBox", "TRadioButton", "Button"})
    for (HWND b : ChildrenByPlace(Window, cls))
      if (WithoutAmpersands(WindowText(b)) == WithoutAmpersands(Text)) return ClickCentre(b);
  std::fprintf(stderr, "no button %s\n", Text.c_str());
  return 1;
}

// The visible drop-down list of a combo box, if any.
HWND DroppedList() {
  HWND dropped = nullptr;
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (_stricmp(cls, "ComboLBox") == 0 && IsWindowVisible(w)) {
          *reinterpret_cast<HWND*>(p) = w;
          return FALSE;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&dropped));
  return dropped;
}

// Opens a drop-down list by a click and clicks the entry in the list that drops down.
// The n-th combo box of the window (plain and colour ones, 1 = top left, by place), or none.
HWND ComboByPlace(HWND Window, size_t N) {
  auto combos = ChildrenByPlace(Window, "TComboBox");
  auto colours = ChildrenByPlace(Window, "TOvcColorComboBox");
  combos.insert(combos.end(), colours.begin(), colours.end());
  auto place = [](HWND w) {
    RECT r;
    GetWindowRect(w, &r);
    return std::make_pair(r.top, r.left);
  };
  std::sort(combos.begin(), combos.end(), [&](HWND a, HWND b) { return place(a) < place(b); });
  return N >= 1 && N <= combos.size() ? combos[N - 1] : nullptr;
}

// A click on the n-th combo box; its dropped list once it shows.
HWND DropCombo(HWND Window, size_t N) {
  HWND combo = ComboByPlace(Window, N);
  if (!combo) return nullptr;
  ClickCentre(combo);
  HWND dropped = nullptr;
  for (DWORD start = GetTickCount(); !(dropped = DroppedList()) && GetTickCount() - start < 5000;) Sleep(50);
  if (!dropped) std::fprintf(stderr, "the list did not drop down\n");
  return dropped;
}

int Pick(HWND Window, size_t N, const std::string& Text) {
  HWND dropped = DropCombo(Window, N);
  if (!dropped) return 1;
  auto entries = ListEntries(dropped);
  for (size_t i = 0; i < entries.size(); ++i) {
    if (entries[i] != Text) continue;
    // The dropped list belongs to no dialog: a plain click, without raising anything; the choice is
    // made once the list has closed up.
    POINT at = ItemMiddle(dropped, i);
    ClientToScreen(dropped, &at);
    ClickScreen(at);
    for (DWORD start = GetTickCount(); IsWindowVisible(dropped) && GetTickCount() - start < 5000;) Sleep(50);
    if (!IsWindowVisible(dropped)) return 0;
    std::fprintf(stderr, "the dropped list stays open\n");
    return 1;
  }
  std::fprintf(stderr, "no entry %s in the dropped list\n", Text.c_str());
  return 1;
}

// Clicks the button of the box until the box is gone, once it is up: shown, its thread answering and
// the button there and enabled (a first click may only wake the box up). Tell prints the box's text
// first.
int AnswerBox(HWND Box, const std::string& Caption, const std::string& Button, bool Tell) {
  for (DWORD ready = GetTickCount(); GetTickCount() - ready < 10000; Sleep(50)) {
    DWORD_PTR answer = 0;
    if (!IsWindowVisible(Box) || !SendMessageTimeoutA(Box, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer)) continue;
    bool enabled = false;
    for (HWND b : ChildrenByPlace(Box, "Button"))
      enabled = enabled || (IsWindowEnabled(b) && WithoutAmpersands(WindowText(b)) == WithoutAmpersands(Button));
    if (enabled) break;
  }
  if (Tell)
    for (HWND s : ChildrenByPlace(Box, "Static")) {
      std::string t = Unfitted(WindowText(s));
      if (t.empty()) continue;
      for (char& c : t)
        if (c == '\r') c = '|';
      std::printf("%s\n", t.c_str());
    }
  for (int attempt = 0; attempt < 5; ++attempt) {
    if (!IsWindow(Box)) return 0;
    if (IsWindowVisible(Box) && ClickButton(Box, Button)) return 1;
    // Closing takes Wine up to two seconds without a window manager; the box is done once destroyed.
    for (int i = 0; i < 80 && IsWindow(Box); ++i) Sleep(50);
  }
  if (!IsWindow(Box)) return 0;
  std::fprintf(stderr, "the box \"%s\" stays; the windows:\n", Caption.c_str());
  TellTopWindows();
  return 1;
}

// Waits up to Ms for a shown window with the caption of the class (any class when empty).
HWND WaitForBox(const std::string& Caption, const char* Class, int Ms) {
  for (DWORD start = GetTickCount();; Sleep(50)) {
    HWND w = FindBoard(Caption);
    char cls[64] = {};
    if (w) GetClassNameA(w, cls, sizeof cls);
    if (w && (!*Class || std::strcmp(cls, Class) == 0)) return w;
    if (GetTickCount() - start > DWORD(Ms)) break;
  }
  std::fprintf(stderr, "no box \"%s\"; the windows:\n", Caption.c_str());
  TellTopWindows();
  return nullptr;
}

// A message box of this caption: its text on stdout, then a click on the button.
int Answer(const std::string& Caption, const std::string& Button, int Ms) {
  HWND box = WaitForBox(Caption, "", Ms);
  return box ? AnswerBox(box, Caption, Button, true) : 1;
}

int Wait(const std::string& Caption, int Ms, bool Present) {
  DWORD start = GetTickCount();
  for (;;) {
    bool found = FindBoard(Caption) != nullptr;
    if (found == Present) return 0;
    if (GetTickCount() - start > DWORD(Ms)) {
      std::fprintf(stderr, "timed out waiting for %s\"%s\"\n", Present ? "" : "the end of ", Caption.c_str());
      return 1;
    }
    Sleep(50);
  }
}

int Key(HWND Board, const std::string& Keys, bool ModsFirstUp = false) {
  std::vector<WORD> mods;
  std::string rest = Keys;
  // "BACK*20": the key twenty times.
  int times = 1;
  if (size_t star = rest.find('*'); star != std::string::npos) {
    times = std::max(1, std::atoi(rest.c_str() + star + 1));
    rest.resize(star);
  }
  for (;;) {
    size_t plus = rest.find('+');
    if (plus == std::string::npos) break;
    std::string m = UpperCase(rest.substr(0, plus));
    if (m == "CTRL") mods.push_back(VK_CONTROL);
    else if (m == "SHIFT") mods.push_back(VK_SHIFT);
    else if (m == "ALT") mods.push_back(VK_MENU);
    rest = rest.substr(plus + 1);
  }
  static const struct {
    const char* Name;
    WORD Vk;
  } named[] = {{"HOME", VK_HOME}, {"END", VK_END},   {"ENTER", VK_RETURN}, {"ESC", VK_ESCAPE},
               {"TAB", VK_TAB},   {"DOWN", VK_DOWN}, {"UP", VK_UP},        {"DELETE", VK_DELETE},
               {"BACK", VK_BACK}, {"RETURN", VK_RETURN}, {"ESCAPE", VK_ESCAPE},
               {"LEFT", VK_LEFT}, {"RIGHT", VK_RIGHT}, {"SPACE", VK_SPACE}, {"APPS", VK_APPS}};
  WORD vk = 0;
  for (auto& n : named)
    if (UpperCase(rest) == n.Name) vk = n.Vk;
  if (vk) {
  } else if (rest.size() == 1) vk = WORD(toupper(rest[0]));
  else if (rest[0] == 'F' || rest[0] == 'f') vk = WORD(VK_F1 + std::atoi(rest.c_str() + 1) - 1);
  if (!vk) return 2;
  if (Board && !Foreground(Board)) return 1;
  std::vector<INPUT> in;
  auto add = [&](WORD k, bool up) {
    INPUT i{};
    i.type = INPUT_KEYBOARD;
    i.ki.wVk = k;
    i.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    in.push_back(i);
  };
  for (WORD m : mods) add(m, false);
  for (int i = 0; i < times; ++i) {
    add(vk, false);
    if (i + 1 < times || !ModsFirstUp) add(vk, true);
  }
  for (auto it = mods.rbegin(); it != mods.rend(); ++it) add(*it, true);
  if (ModsFirstUp) add(vk, true);
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  // Done once the thread that has the keyboard has handled the keys (a menu's or a box's included).
  Settle(Board, in.size());
  return 0;
}

// Clicks (Count times) the list row whose Column shows Text, until that row is selected.
int ClickRow(HWND Board, size_t Column, const std::string& Login, int Count = 1) {
  HWND list = FindChild(Board, "TListView");
  if (!list) return 1;
  auto rows = BoardRows(list);
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i][Column] != Login) continue;
    TRemote r(list);
    // A first click may only wake the window up: click until the row shows selected.
    for (int attempt = 0; attempt < 5; ++attempt) {
      RECT rc{LVIR_LABEL, 0, 0, 0};
      r.Write(0, &rc, sizeof rc);
      SendMessageA(list, LVM_GETITEMRECT, WPARAM(i), LPARAM(r.At(0)));
      r.Read(0, &rc, sizeof rc);
      Click(list, POINT{rc.left + 4, (rc.top + rc.bottom) / 2}, Count);
      for (DWORD start = GetTickCount(); GetTickCount() - start < 2000; Sleep(50))
        if (SendMessageA(list, LVM_GETNEXTITEM, WPARAM(-1), LVNI_SELECTED) == LRESULT(i)) return 0;
    }
    std::fprintf(stderr, "the row of %s does not get selected\n", Login.c_str());
    return 1;
  }
  std::fprintf(stderr, "no row for %s\n", Login.c_str());
  return 1;
}

std::string NodeText(HWND Tree, const TRemote& R, HTREEITEM H) {
  TVITEMA it{};
  it.mask = TVIF_TEXT;
  it.hItem = H;
  return R.Text(Tree, TVM_GETITEMA, 0, it);
}

// A click at the start of the node's text.
void ClickNode(HWND Tree, const TRemote& R, HTREEITEM H) {
  RECT rc{};
  // TVM_GETITEMRECT takes the item in the rectangle's place.
  R.Write(0, &H, sizeof H);
  SendMessageA(Tree, TVM_GETITEMRECT, TRUE, LPARAM(R.At(0)));
  R.Read(0, &rc, sizeof rc);
  Click(Tree, POINT{rc.left + 3, (rc.top + rc.bottom) / 2});
}

int ClickTree(HWND Board, const std::string& Text) {
  HWND tree = FindChild(Board, "TTreeView");
  if (!tree) return 1;
  TRemote r(tree);
  // Depth-first over the nodes.
  std::vector<HTREEITEM> stack;
  if (auto root = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0))) stack.push_back(root);
  while (!stack.empty()) {
    HTREEITEM h = stack.back();
    stack.pop_back();
    if (NodeText(tree, r, h) == Text) {
      ClickNode(tree, r, h);
      return 0;
    }
    SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(h));
    if (auto next = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(h)))) stack.push_back(next);
    if (auto child = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(h)))) stack.push_back(child);
  }
  std::fprintf(stderr, "no node %s\n", Text.c_str());
  return 1;
}

// Follows the path from the roots, opening each node on it (a shell tree fills a node as it opens),
// and clicks the last one.
int ClickTreePath(HWND Board, const std::vector<std::string>& Path) {
  HWND tree = FindChild(Board, "TPTShellTree");
  if (!tree) tree = FindChild(Board, "TTreeView");
  if (!tree) return 1;
  TRemote r(tree);
  HTREEITEM h = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  for (size_t i = 0; i < Path.size(); ++i) {
    if (i > 0) {
      SendMessageA(tree, TVM_EXPAND, TVE_EXPAND, LPARAM(h));
      h = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CHILD, LPARAM(h)));
    }
    while (h && NodeText(tree, r, h).find(Path[i]) == std::string::npos)
      h = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXT, LPARAM(h)));
    if (!h) {
      std::fprintf(stderr, "no node %s\n", Path[i].c_str());
      return 1;
    }
  }
  SendMessageA(tree, TVM_ENSUREVISIBLE, 0, LPARAM(h));
  // A click on the node already selected starts renaming it a moment later, and a key sent next
  // ends the rename instead of reaching the dialog: a person leaves a selected folder as it is.
  if (HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0)) == h) return 0;
  ClickNode(tree, r, h);
  return 0;
}

// The tree's nodes from the first in view down, as the tree itself gives them (images asked of the
// program as it draws them).
int TreeLines(HWND Board) {
  HWND tree = FindChild(Board, "TPTShellTree");
  if (!tree) tree = FindChild(Board, "TTreeView");
  if (!tree) return 1;
  TRemote r(tree);
  RECT client;
  GetClientRect(tree, &client);
  HTREEITEM selected = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_CARET, 0));
  for (HTREEITEM h = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_FIRSTVISIBLE, 0)); h;
       h = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_NEXTVISIBLE, LPARAM(h)))) {
    TVITEMA it{};
    it.mask = TVIF_TEXT | TVIF_IMAGE | TVIF_SELECTEDIMAGE | TVIF_CHILDREN;
    it.hItem = h;
    const std::string text = r.Text(tree, TVM_GETITEMA, 0, it);
    int level = 0;
    for (HTREEITEM p = h; (p = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_PARENT, LPARAM(p))));) ++level;
    RECT rc{};
    r.Write(0, &h, sizeof h);
    SendMessageA(tree, TVM_GETITEMRECT, TRUE, LPARAM(r.At(0)));
    r.Read(0, &rc, sizeof rc);
    std::string state = h == selected ? "selected" : rc.top >= client.bottom ? "hidden" : "";
    MapWindowPoints(tree, Board, reinterpret_cast<POINT*>(&rc), 2);
    std::printf("%d|%s|%d|%d|%d|%s|%ld,%ld,%ld,%ld\n", level, text.c_str(), it.iImage, it.iSelectedImage, it.cChildren,
                state.c_str(), long(rc.left), long(rc.top), long(rc.right), long(rc.bottom));
  }
  // Where the first root's text starts in the tree: less than at first when the tree is scrolled right.
  RECT rc{};
  HTREEITEM root = HTREEITEM(SendMessageA(tree, TVM_GETNEXTITEM, TVGN_ROOT, 0));
  r.Write(0, &root, sizeof root);
  SendMessageA(tree, TVM_GETITEMRECT, TRUE, LPARAM(r.At(0)));
  r.Read(0, &rc, sizeof rc);
  std::printf("root|%ld\n", long(rc.left));
  return 0;
}

int ClickTab(HWND Window, const std::string& Text) {
  HWND tabs = FindChild(Window, "TPageControl");
  if (!tabs) return 1;
  TRemote r(tabs);
  int n = int(SendMessageA(tabs, TCM_GETITEMCOUNT, 0, 0));
  for (int i = 0; i < n; ++i) {
    TCITEMA it{};
    it.mask = TCIF_TEXT;
    if (WithoutAmpersands(r.Text(tabs, TCM_GETITEMA, WPARAM(i), it)) != Text) continue;
    RECT rc{};
    SendMessageA(tabs, TCM_GETITEMRECT, WPARAM(i), LPARAM(r.At(0)));
    r.Read(0, &rc, sizeof rc);
    Click(tabs, POINT{(rc.left + rc.right) / 2, (rc.top + rc.bottom) / 2});
    return 0;
  }
  std::fprintf(stderr, "no tab %s\n", Text.c_str());
  return 1;
}

// How the board's rows look: their text colour and the height of the first row.
int Look(HWND Board) {
  HWND list = FindChild(Board, "TListView");
  if (!list) return 1;
  TRemote r(list);
  RECT rc{LVIR_BOUNDS, 0, 0, 0};
  r.Write(0, &rc, sizeof rc);
  SendMessageA(list, LVM_GETITEMRECT, 0, LPARAM(r.At(0)));
  r.Read(0, &rc, sizeof rc);
  std::printf("%06lX|%ld\n", static_cast<unsigned long>(SendMessageA(list, LVM_GETTEXTCOLOR, 0, 0)),
              long(rc.bottom - rc.top));
  return 0;
}

// The start-up shortcut (or the shortcut file given) read back through the shell link interface.
int Shortcut(const char* File) {
  char folder[MAX_PATH] = {};
  if (!File && !SHGetSpecialFolderPathA(nullptr, folder, CSIDL_STARTUP, FALSE)) return 1;
  std::wstring lnk;
  for (const char* p = File ? File : folder; *p; ++p) lnk += wchar_t(static_cast<unsigned char>(*p));
  if (!File) lnk += L"\\yOZ.lnk";
  CoInitialize(nullptr);
  IShellLinkA* link = nullptr;
  IPersistFile* file = nullptr;
  char target[MAX_PATH] = {};
  bool ok = SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                       reinterpret_cast<void**>(&link))) &&
            SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file))) &&
            SUCCEEDED(file->Load(lnk.c_str(), STGM_READ)) && SUCCEEDED(link->GetPath(target, MAX_PATH, nullptr, 0));
  if (file) file->Release();
  if (link) link->Release();
  if (!ok) return 1;
  std::printf("%s\n", target);
  return 0;
}

// Text as the keyboard types it into the foreground window of the board's machine.
int Type(HWND Window, const std::string& Text) {
  if (!Foreground(Window)) return 1;
  std::vector<INPUT> in;
  auto add = [&](WORD vk, WCHAR ch) {
    for (bool up : {false, true}) {
      INPUT i{};
      i.type = INPUT_KEYBOARD;
      i.ki.wVk = vk;
      i.ki.wScan = ch;
      i.ki.dwFlags = (ch ? KEYEVENTF_UNICODE : 0) | (up ? KEYEVENTF_KEYUP : 0);
      in.push_back(i);
    }
  };
  for (size_t i = 0; i < Text.size(); ++i) {
    if (Text[i] == '\\' && i + 1 < Text.size() && (Text[i + 1] == 'n' || Text[i + 1] == 't')) {
      add(Text[++i] == 'n' ? VK_RETURN : VK_TAB, 0);
      continue;
    }
    add(0, WCHAR(static_cast<unsigned char>(Text[i])));
  }
  SendInput(UINT(in.size()), in.data(), sizeof(INPUT));
  Settle(Window, in.size());
  return 0;
}

std::string Escaped(const std::string& Text) {
  std::string out;
  for (char c : Text) out += c == '\r' ? std::string("\\r") : c == '\n' ? std::string("\\n") : std::string(1, c);
  return out;
}

int StatusPanels(HWND Window) {
  HWND bar = FindChild(Window, "TStatusBar");
  if (!bar) return 1;
  TRemote r(bar);
  int n = int(SendMessageA(bar, SB_GETPARTS, 0, 0));
  std::string line;
  for (int i = 0; i < n; ++i) {
    SendMessageA(bar, SB_GETTEXTA, WPARAM(i), LPARAM(r.At(0)));
    char buf[1024] = {};
    r.Read(0, buf, sizeof buf - 1);
    line += (i ? "|" : "") + std::string(buf);
  }
  std::printf("%s\n", line.c_str());
  return 0;
}

int Messages(const std::string& Folder, const std::string& Login) {
  TIsamFile f("");
  if (!f.Open(Folder + MessageFileName, 3)) return 1;
  TMessageRec m;
  f.First(0);
  while (f.GetNext(m.Data, 0, 16, ""))
    if (m.ToLogInName() == Login)
      std::printf("%s|%s|%s|%s|%s\n", f.LastKey.c_str(), m.MsgStatus().c_str(), m.FromLogInName().c_str(),
                  m.Subject().c_str(), Escaped(m.Body()).c_str());
  f.Close();
  return 0;
}

// The shared user file with the given users and the departments they name.
int Seed(const std::string& Folder, int Argc, char** Argv) {
  TIsamFile users("");
  const std::string name = Folder + UserFileName;
  if (!users.CreateFile(name, 10, UserFileFormat) || !users.Open(name, 3)) {
    std::fprintf(stderr, "%s\n", users.ErrorText().c_str());
    return 1;
  }
  std::vector<std::string> departments;
  for (int i = 0; i < Argc; ++i) {
    std::string entry = Argv[i];
    std::vector<std::string> f;
    size_t p;
    while ((p = entry.find(':')) != std::string::npos) {
      f.push_back(entry.substr(0, p));
      entry = entry.substr(p + 1);
    }
    f.push_back(entry);
    f.resize(4);
    TUserRec rec;
    rec.SetName(f[0]);
    rec.SetLogInName(f[0]);
    rec.SetStatus("Available");
    rec.SetAdministrator(int16_t(std::atoi(f[1].c_str())));
    rec.SetDepartment(f[2]);
    rec.SetComments(f[3]);
    rec.SetUpdated(DateTimeToStr(Now()));
    if (!users.Add(rec.Data, "")) return 1;
    bool known = f[2].empty();
    for (auto& d : departments) known = known || d == f[2];
    if (!known) departments.push_back(f[2]);
  }
  users.Close();
  TYOZDepartment deps;
  deps.CreateDepartmentFile();
  for (auto& d : departments) deps.AddDepartment(d);
  return 0;
}

int Record(const std::string& Folder, const std::string& Login) {
  TIsamFile users("");
  TUserRec rec;
  if (!users.Open(Folder + UserFileName, 3)) return 1;
  bool found = users.GetEqual(rec.Data, 7, Login);
  users.Close();
  if (!found) return 1;
  std::printf("%s|%s|%s|%s|%s|%d\n", rec.Name().c_str(), rec.Status().c_str(), rec.Extension().c_str(),
              rec.Department().c_str(), rec.Comments().c_str(), rec.Administrator());
  return 0;
}

int User(const std::string& Folder, const std::string& Login) {
  TIsamFile users("");
  TUserRec rec;
  if (!users.Open(Folder + UserFileName, 3) || !users.GetEqual(rec.Data, 7, Login)) return 1;
  users.Close();
  std::printf("%s|%s|%d\n", rec.Status().c_str(), rec.Comments().c_str(), rec.Administrator());
  return 0;
}

int Box(const std::string& Caption, int Ms) {
  HWND box = WaitForBox(Caption, "#32770", Ms);
  if (!box) return 1;
  // The message is the box's one static text that is not its icon.
  std::string text;
  for (HWND c = GetWindow(box, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    char cls[64] = {}, buf[4096] = {};
    GetClassNameA(c, cls, sizeof cls);
    GetWindowTextA(c, buf, sizeof buf);
    if (_stricmp(cls, "Static") == 0 && buf[0]) text = buf;
  }
  text = Unfitted(text);
  for (char& ch : text)
    if (ch == '\r') ch = '~';
  std::printf("%s\n", text.c_str());
  return 0;
}

int BoxLines(const std::string& Caption, int Ms) {
  HWND box = WaitForBox(Caption, "#32770", Ms);
  if (!box) return 1;
  HWND text = GetDlgItem(box, 0xFFFF);
  RECT room{};
  GetClientRect(text, &room);
  // The box shows its text in the message font (a font handle of the box's process means nothing here).
  NONCLIENTMETRICSA ncm{};
  ncm.cbSize = sizeof ncm;
  SystemParametersInfoA(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  HFONT font = CreateFontIndirectA(&ncm.lfMessageFont);
  HDC dc = GetDC(text);
  HGDIOBJ old = SelectObject(dc, font);
  std::string all = WindowText(text), line;
  for (size_t i = 0; i <= all.size(); ++i) {
    if (i < all.size() && all[i] != '\r' && all[i] != '\n') {
      line += all[i];
      continue;
    }
    SIZE size{};
    GetTextExtentPoint32A(dc, line.c_str(), int(line.size()), &size);
    std::printf("%s%s\n", size.cx > room.right ? "!" : "", line.c_str());
    line.clear();
  }
  SelectObject(dc, old);
  ReleaseDC(text, dc);
  DeleteObject(font);
  return 0;
}

// Whether Top holds the keyboard as it stands: foreground, active in its thread, focus inside.
bool Holds(HWND Top, std::string& Why) {
  GUITHREADINFO info{};
  info.cbSize = sizeof info;
  const DWORD thread = GetWindowThreadProcessId(Top, nullptr);
  if (!GetGUIThreadInfo(thread, &info)) info = GUITHREADINFO{};
  char cls[64] = {};
  if (info.hwndFocus) GetClassNameA(info.hwndFocus, cls, sizeof cls);
  Why = "foreground \"" + WindowText(GetForegroundWindow()) + "\", active \"" + WindowText(info.hwndActive) +
        "\", focus " + (info.hwndFocus ? cls : "none");
  return GetForegroundWindow() == Top && info.hwndActive == Top && info.hwndFocus &&
         (info.hwndFocus == Top || IsChild(Top, info.hwndFocus));
}

int Held(HWND Top, int Ms) {
  std::string why;
  for (DWORD start = GetTickCount(); GetTickCount() - start < DWORD(Ms); Sleep(50))
    if (Holds(Top, why)) return 0;
  std::fprintf(stderr, "the window does not hold the keyboard: %s\n", why.c_str());
  return 1;
}

// True while the window or a visible window inside it waits to be painted.
bool PaintPending(HWND Top) {
  bool pending = GetUpdateRect(Top, nullptr, FALSE) != FALSE;
  EnumChildWindows(
      Top,
      [](HWND w, LPARAM p) -> BOOL {
        if (IsWindowVisible(w) && GetUpdateRect(w, nullptr, FALSE)) *reinterpret_cast<bool*>(p) = true;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&pending));
  return pending;
}

// Waits until the window's thread answers and nothing of the window is left to paint, over a few looks
// (a step's effect may still be queued when the first look finds nothing to paint).
int Painted(HWND Top, int Ms) {
  const DWORD start = GetTickCount();
  for (int steady = 0; GetTickCount() - start < DWORD(Ms); Sleep(50)) {
    DWORD_PTR answer = 0;
    const bool answers = SendMessageTimeoutA(Top, WM_NULL, 0, 0, SMTO_NORMAL, 2000, &answer) != 0;
    steady = answers && !PaintPending(Top) ? steady + 1 : 0;
    if (steady >= 3) return 0;
  }
  std::fprintf(stderr, "the window \"%s\" is not painted\n", WindowText(Top).c_str());
  return 1;
}

// A point of the window's caption bar, from the right edge (Buttons caption buttons in).
POINT CaptionPoint(HWND W, double Buttons) {
  RECT r;
  GetWindowRect(W, &r);
  const int frame = GetSystemMetrics(SM_CYFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
  const int size = GetSystemMetrics(SM_CXSIZE);
  return POINT{LONG(r.right - frame - size * Buttons), r.top + frame + GetSystemMetrics(SM_CYCAPTION) / 2};
}

void MovePointer(POINT At) {
  SetCursorPos(At.x, At.y);
  INPUT in = MouseAt(At, 0);
  SendInput(1, &in, sizeof(INPUT));
  Settle(WindowFromPoint(At), 1);
}

// The number of visible top-level windows of that class.
int CountShown(const std::string& Class) {
  struct Ctx {
    const std::string* Class;
    int Count;
  } ctx{&Class, 0};
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        char cls[128] = {};
        GetClassNameA(w, cls, sizeof cls);
        if (IsWindowVisible(w) && _stricmp(cls, c->Class->c_str()) == 0) ++c->Count;
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  return ctx.Count;
}

int Shown(const std::string& Class) {
  std::printf("%d\n", CountShown(Class));
  return 0;
}

int Press(const std::string& Caption, const std::string& Button) {
  HWND box = WaitForBox(Caption, "#32770", 20000);
  return box ? AnswerBox(box, Caption, Button, false) : 1;
}

// One busy user for a while: own status changes (logged), messages to Other, the configuration read
// and rewritten. Failures other than a configuration file held by another copy are errors.
int Churn(const std::string& Folder, const std::string& Other, int Seconds, int LogType, int Mark) {
  static const char* const statuses[] = {"At lunch", "Available", "In meeting", "DND", "Away from desk"};
  TyOZFile db(Folder);
  db.RegisterCurrentUser();
  TYOZMessage messages(&db);
  const std::string me = GetLogInName();
  int errors = 0, cfgBusy = 0, changes = 0, sent = 0, configs = 0;
  const DWORD end = GetTickCount() + DWORD(Seconds) * 1000;
  for (int i = 0; GetTickCount() < end; ++i) {
    try {
      switch (i % 4) {
        case 0:
        case 1: {
          db.LoadCurrentUser();
          db.LogType = uint8_t(LogType);
          std::string next = statuses[(changes + 1) % 5];
          if (db.CurrentUser->Status == next) next = statuses[(changes + 2) % 5];
          db.CurrentUser->Status = next;
          db.SaveCurrentUserStatus();
          ++changes;
          break;
        }
        case 2: {
          const std::string subject = me + "#" + std::to_string(LogType) + "." + std::to_string(i);
          messages.SendMessage(Other, me, subject, "churn");
          std::printf("sent %s\n", subject.c_str());
          ++sent;
          break;
        }
        default: {
          TyOZConfigRec rec = db.ReadConfig();
          for (uint8_t b : rec.Reserved)
            if (b != rec.Reserved[0]) {
              std::fprintf(stderr, "%s: yOZ.cfg read mixed from two writes\n", me.c_str());
              ++errors;
              break;
            }
          rec.LogType = uint8_t(LogType);
          std::fill(std::begin(rec.Reserved), std::end(rec.Reserved), uint8_t(Mark));
          db.WriteConfig(rec);
          ++configs;
        }
      }
    } catch (const Exception& e) {
      if (e.Message == "Unable to open yOZ.CFG file") {
        ++cfgBusy;
      } else {
        std::fprintf(stderr, "%s: %s\n", me.c_str(), e.Message.c_str());
        ++errors;
      }
    }
    Sleep(i % 3);
  }
  std::fflush(stdout);
  std::fprintf(stderr, "%s: %d status changes, %d messages, %d configuration writes, %d lost to a busy yOZ.cfg\n",
               me.c_str(), changes, sent, configs, cfgBusy);
  return errors ? 1 : 0;
}

int Dump(const std::string& Folder, const std::string& What) {
  TIsamFile f("");
  const bool users = What == "users";
  if (!f.Open(Folder + (users ? UserFileName : MessageFileName), 3)) return 1;
  f.First(0);
  TMessageRec msg;  // the larger record: a user record fits in it
  while (f.GetNext(msg.Data, 0, 16, "")) {
    if (users)
      std::printf("%s\n", GetRecField(msg.Data, TUserRec::oLogInName, TUserRec::sLogInName).c_str());
    else
      std::printf("%s\n", msg.Subject().c_str());
  }
  const int16_t end = f.LastError;
  f.Close();
  return end == IsamObjectNotFound ? 0 : 1;
}


// ---------------------------------------------------------------------------------------------------
// One machine's changes followed on another machine's board: the "changer" writes, "follow" watches
// its own board. They pass notes through a folder both machines see.

// A note's text, empty while there is none.
std::string ReadNote(const std::string& Name) {
  HANDLE f = CreateFileA(Name.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return {};
  char buf[1024];
  DWORD got = 0;
  if (!ReadFile(f, buf, sizeof buf, &got, nullptr)) got = 0;
  CloseHandle(f);
  return std::string(buf, got);
}

// Written under another name and renamed into place: the other machine reads a note whole or not at all.
void WriteNote(const std::string& Name, const std::string& Text) {
  const std::string part = Name + ".part";
  HANDLE f = CreateFileA(part.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (f == INVALID_HANDLE_VALUE) return;
  DWORD put = 0;
  WriteFile(f, Text.data(), DWORD(Text.size()), &put, nullptr);
  CloseHandle(f);
  MoveFileExA(part.c_str(), Name.c_str(), MOVEFILE_REPLACE_EXISTING);
}

bool AwaitNote(const std::string& Name, std::string& Text, DWORD Ms) {
  for (const DWORD start = GetTickCount();; Sleep(2)) {
    if (!(Text = ReadNote(Name)).empty()) return true;
    if (GetTickCount() - start > Ms) return false;
  }
}

std::string NoteName(const std::string& Control, const char* Kind, int N) {
  return Control + Kind + "-" + std::to_string(N);
}

// The n-th note "go-<n>" lists changes (joined by |) that the driver's login makes one right after the
// other: a status, set as its board's status command sets it, or "key:" and a status key (such as
// ctrl+A) pressed on its board, the window captioned Board; the note "done-<n>" then says "ok" or what
// failed. A note "end" ends the run.
int Changer(const std::string& Folder, const std::string& Control, const std::string& Board) {
  TyOZFile db(Folder);
  db.RegisterCurrentUser();
  for (int n = 1;; ++n) {
    std::string go;
    if (!AwaitNote(NoteName(Control, "go", n), go, 300000)) {
      std::fprintf(stderr, "no note go-%d\n", n);
      return 1;
    }
    if (go == "end") return 0;
    std::string result = "ok";
    try {
      for (size_t from = 0;;) {
        const size_t bar = go.find('|', from);
        const std::string change = go.substr(from, bar == std::string::npos ? std::string::npos : bar - from);
        if (change.rfind("key:", 0) == 0) {
          HWND board = FindBoard(Board);
          if (!board || Key(board, change.substr(4)) != 0) throw Exception("the key " + change + " was not pressed");
        } else {
          db.LoadCurrentUser();
          db.CurrentUser->Status = change;
          db.SaveCurrentUserStatus();
        }
        if (bar == std::string::npos) break;
        from = bar + 1;
      }
    } catch (const Exception& e) {
      result = e.Message;
    }
    WriteNote(NoteName(Control, "done", n), result);
  }
}

// The board row of a login: its row index as last found, looked for again when that row is another's.
class TBoardRowOf {
public:
  TBoardRowOf(HWND List, const std::string& Login) : FList(List), FRemote(List), FLogin(Login) {}
  // The status the board shows for the login, empty when it has no row for it.
  std::string Status() {
    if (FRow < 0 || ItemText(FList, FRemote, FRow, 0) != FLogin) {
      FRow = -1;
      const int n = int(SendMessageA(FList, LVM_GETITEMCOUNT, 0, 0));
      for (int i = 0; i < n && FRow < 0; ++i)
        if (ItemText(FList, FRemote, i, 0) == FLogin) FRow = i;
      if (FRow < 0) return {};
    }
    return ItemText(FList, FRemote, FRow, 1);
  }

private:
  HWND FList;
  TRemote FRemote;
  std::string FLogin;
  int FRow = -1;
};

// Asks the changer on the other machine for Changes status changes of Login, each at a random moment
// of the board's period (a random pause first), some as a quick run of two or three, and half of them
// by the status keys on that machine's board, and waits for each to show on this machine's board before
// the next. A change the board has not shown within ten periods of its write is lost: nothing else
// writes meanwhile, so a board that missed it would never show it. Prints how long the changes took to
// show; fails when any was lost.
int Follow(HWND Board, const std::string& Login, const std::string& Control, int Changes, int PeriodMs,
           unsigned Seed) {
  static const struct {
    const char* Key;
    const char* Status;
  } keys[] = {{"ctrl+L", "At lunch"},  {"ctrl+A", "Available"}, {"ctrl+W", "Away from desk"}, {"ctrl+D", "DND"},
              {"ctrl+G", "Gone home"}, {"ctrl+M", "In meeting"}, {"ctrl+K", "Off sick"}};
  constexpr int keyCount = int(sizeof keys / sizeof keys[0]);
  // The changer ends with the last note, however this ends.
  int last = 0;
  TScopeExit end([&] { WriteNote(NoteName(Control, "go", last + 1), "end"); });
  HWND list = FindChild(Board, "TListView");
  if (!list || PeriodMs <= 0) return 2;
  TBoardRowOf row(list, Login);
  std::mt19937 random(Seed);
  std::vector<double> shown;
  std::vector<std::string> lost;
  for (int n = 1; n <= Changes; ++n) {
    Sleep(DWORD(std::uniform_int_distribution<int>(0, PeriodMs - 1)(random)));
    const int writes = std::uniform_int_distribution<int>(1, 3)(random);
    const bool byKeys = n % 2 == 0;
    std::string changes, want;
    for (int k = 1; k <= writes; ++k) {
      if (!byKeys) {
        want = k < writes ? "Passing " + std::to_string(n) + "." + std::to_string(k) : "Change " + std::to_string(n);
        changes += (k > 1 ? "|" : "") + want;
        continue;
      }
      // Each key another status than the one before it.
      int pick;
      do pick = std::uniform_int_distribution<int>(0, keyCount - 1)(random);
      while (want == keys[pick].Status);
      want = keys[pick].Status;
      changes += std::string(k > 1 ? "|" : "") + "key:" + keys[pick].Key;
    }
    WriteNote(NoteName(Control, "go", n), changes);
    last = n;
    std::string done;
    if (!AwaitNote(NoteName(Control, "done", n), done, 60000)) {
      std::fprintf(stderr, "the changer did not make change %d\n", n);
      return 1;
    }
    if (done != "ok") {
      std::fprintf(stderr, "change %d failed: %s\n", n, done.c_str());
      return 1;
    }
    const auto written = std::chrono::steady_clock::now();
    auto ms = [&] {
      return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - written).count();
    };
    std::string now;
    while ((now = row.Status()) != want && ms() < 10.0 * PeriodMs) Sleep(10);
    if (now == want)
      shown.push_back(ms());
    else
      lost.push_back(want + " (" + std::to_string(writes) + " writes; the board shows \"" + now + "\")");
  }
  std::sort(shown.begin(), shown.end());
  if (!shown.empty())
    std::printf("%d changes of %s: %zu shown, in %.0f ms at the median, %.0f ms at the 99th percentile, %.0f ms "
                "(%.1f periods) at the slowest\n",
                Changes, Login.c_str(), shown.size(), shown[shown.size() / 2], shown[shown.size() * 99 / 100],
                shown.back(), shown.back() / PeriodMs);
  for (const std::string& l : lost) std::printf("lost: %s\n", l.c_str());
  return lost.empty() ? 0 : 1;
}

// ---------------------------------------------------------------------------------------------------
// The commands

// One call of the driver: its words (Argv[1] the command) and, for the commands on a window, the
// window its caption names.
struct TCall {
  int Argc;
  char** Argv;
  HWND Board;
  const char* operator[](int I) const { return Argv[I]; }
  int Int(int I) const { return std::atoi(Argv[I]); }
  int IntOr(int I, int Default) const { return Argc > I ? std::atoi(Argv[I]) : Default; }
  POINT Point(int I) const { return POINT{std::atoi(Argv[I]), std::atoi(Argv[I + 1])}; }
};

// A command: its name, how many words it needs after the name, and what it does.
struct TCommand {
  const char* Name;
  int Words;
  int (*Run)(const TCall&);
};

// The first visible child window of that class: the hidden sheets of a page control have windows too.
HWND FirstVisibleChild(HWND Window, const char* Class) {
  for (HWND c = FindChild(Window, Class); c; c = FindWindowExA(GetParent(c), c, Class, nullptr))
    if (IsWindowVisible(c)) return c;
  return nullptr;
}

void PrintRect(RECT R) {
  std::printf("%ld,%ld,%ld,%ld\n", long(R.left), long(R.top), long(R.right - R.left), long(R.bottom - R.top));
}

// --- commands that need no window ------------------------------------------------------------------

int CmdWait(const TCall& C) { return Wait(C[2], C.IntOr(3, 20000), true); }
int CmdGone(const TCall& C) { return Wait(C[2], C.IntOr(3, 20000), false); }
int CmdSeed(const TCall& C) { return Seed(C[2], C.Argc - 3, C.Argv + 3); }
int CmdUser(const TCall& C) { return User(C[2], C[3]); }
int CmdRecord(const TCall& C) { return Record(C[2], C[3]); }
int CmdAnswer(const TCall& C) { return Answer(C[2], C[3], C.IntOr(4, 10000)); }
int CmdBox(const TCall& C) { return Box(C[2], C.IntOr(3, 20000)); }
int CmdBoxLines(const TCall& C) { return BoxLines(C[2], C.IntOr(3, 20000)); }
int CmdPress(const TCall& C) { return Press(C[2], C[3]); }
int CmdChurn(const TCall& C) { return Churn(C[2], C[3], C.Int(4), C.Int(5), C.Int(6)); }
int CmdDump(const TCall& C) { return Dump(C[2], C[3]); }
int CmdChanger(const TCall& C) { return Changer(C[2], C[3], C[4]); }
int CmdMessages(const TCall& C) { return Messages(C[2], C[3]); }

int CmdSend(const TCall& C) {
  TyOZFile db(C[2]);
  TYOZMessage messages(&db);
  messages.SendMessage(C[3], C[4], C[5], C[6]);
  return 0;
}

int CmdSetStatus(const TCall& C) {
  TyOZFile db(C[2]);
  db.RegisterCurrentUser();
  db.LoadCurrentUser();
  db.CurrentUser->Status = C[3];
  db.SaveCurrentUserStatus();
  return 0;
}

int CmdShortcut(const TCall& C) { return Shortcut(C.Argc > 2 ? C[2] : nullptr); }
int CmdMenuKey(const TCall& C) { return Key(nullptr, C[2]); }
int CmdShown(const TCall& C) { return Shown(C[2]); }

int CmdHoverScreen(const TCall& C) {
  MovePointer(C.Point(2));
  return 0;
}

int CmdScreenPixel(const TCall& C) {
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, C.Int(2), C.Int(3));
  ReleaseDC(nullptr, dc);
  std::printf("%02X%02X%02X\n", unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c)));
  return 0;
}

// The screen rectangle (left,top,right,bottom) of the first visible top-level window of a class.
int PrintWindowOfClass(const char* Class) {
  HWND found = nullptr;
  for (HWND w = FindWindowExA(nullptr, nullptr, Class, nullptr); w && !found; w = FindWindowExA(nullptr, w, Class, nullptr))
    if (IsWindowVisible(w)) found = w;
  RECT r;
  if (!found || !GetWindowRect(found, &r)) return 1;
  std::printf("%ld,%ld,%ld,%ld\n", long(r.left), long(r.top), long(r.right), long(r.bottom));
  return 0;
}
int CmdPopupRect(const TCall&) { return PrintWindowOfClass("#32768"); }
int CmdClassRect(const TCall& C) { return PrintWindowOfClass(C[2]); }
int CmdClientRect(const TCall& C) {
  HWND found = nullptr;
  for (HWND w = FindWindowExA(nullptr, nullptr, C[2], nullptr); w && !found; w = FindWindowExA(nullptr, w, C[2], nullptr))
    if (IsWindowVisible(w)) found = w;
  RECT r;
  if (!found || !GetClientRect(found, &r)) return 1;
  MapWindowPoints(found, nullptr, reinterpret_cast<POINT*>(&r), 2);
  PrintRect(r);
  return 0;
}

// --- commands on the window the caption names ------------------------------------------------------

int CmdBoard(const TCall& C) {
  HWND list = FindChild(C.Board, "TListView");
  if (!list) return 1;
  for (auto& row : BoardRows(list)) {
    std::string line;
    for (size_t c = 0; c < row.size(); ++c) line += (c ? "|" : "") + row[c];
    std::printf("%s\n", line.c_str());
  }
  return 0;
}

int CmdKey(const TCall& C) { return Key(C.Board, C[3]); }
int CmdFollow(const TCall& C) { return Follow(C.Board, C[3], C[4], C.Int(5), C.Int(6), unsigned(std::strtoul(C[7], nullptr, 10))); }
int CmdKeyModsFirstUp(const TCall& C) { return Key(C.Board, C[3], true); }
int CmdHeld(const TCall& C) { return Held(C.Board, C.IntOr(3, 5000)); }
int CmdPainted(const TCall& C) { return Painted(C.Board, C.IntOr(3, 20000)); }
int CmdAnswers(const TCall& C) {
  DWORD_PTR answer = 0;
  if (SendMessageTimeoutA(C.Board, WM_NULL, 0, 0, SMTO_NORMAL, UINT(C.IntOr(3, 20000)), &answer)) return 0;
  std::fprintf(stderr, "the window \"%s\" does not answer\n", WindowText(C.Board).c_str());
  return 1;
}

int CmdClickClose(const TCall& C) {
  Raise(C.Board);
  ClickScreen(CaptionPoint(C.Board, 0.5));
  return 0;
}

int CmdDblClickCaption(const TCall& C) {
  Raise(C.Board);
  ClickScreen(CaptionPoint(C.Board, 6), 2);
  return 0;
}

int CmdPixel(const TCall& C) {
  RECT rc;
  GetClientRect(C.Board, &rc);
  int x = C.Int(3), y = C.Int(4);
  POINT at{x < 0 ? rc.right + x : x, y < 0 ? rc.bottom + y : y};
  ClientToScreen(C.Board, &at);
  HDC dc = GetDC(nullptr);
  COLORREF c = GetPixel(dc, at.x, at.y);
  ReleaseDC(nullptr, dc);
  std::printf("%02X%02X%02X\n", unsigned(GetRValue(c)), unsigned(GetGValue(c)), unsigned(GetBValue(c)));
  return 0;
}

// How many pixels of the picture left of a tree node's text differ from the shell's small icon of the
// path ("::drives": My Computer), at the best match (0: the node shows that icon).
int CmdIcon(const TCall& C) {
  SHFILEINFOA info{};
  LPITEMIDLIST drives = nullptr;
  std::string path = C.Argv[5];
  if (path == "::drives") {
    SHGetSpecialFolderLocation(nullptr, CSIDL_DRIVES, &drives);
    SHGetFileInfoA(reinterpret_cast<LPCSTR>(drives), 0, &info, sizeof info, SHGFI_PIDL | SHGFI_ICON | SHGFI_SMALLICON);
    CoTaskMemFree(drives);
  } else {
    SHGetFileInfoA(path.c_str(), 0, &info, sizeof info, SHGFI_ICON | SHGFI_SMALLICON);
  }
  if (!info.hIcon) return 1;
  HDC screen = GetDC(nullptr);
  HDC mem = CreateCompatibleDC(screen);
  HBITMAP bmp = CreateCompatibleBitmap(screen, 16, 16);
  HGDIOBJ old = SelectObject(mem, bmp);
  RECT all{0, 0, 16, 16};
  FillRect(mem, &all, HBRUSH(GetStockObject(WHITE_BRUSH)));
  DrawIconEx(mem, 0, 0, info.hIcon, 16, 16, 0, nullptr, DI_NORMAL);
  POINT text{std::atoi(C.Argv[3]), std::atoi(C.Argv[4])};
  ClientToScreen(C.Board, &text);
  // The picture sits a few pixels left of the text, level with it: the best match counts.
  HDC shot = CreateCompatibleDC(screen);
  HBITMAP shotBmp = CreateCompatibleBitmap(screen, 24, 20);
  HGDIOBJ oldShot = SelectObject(shot, shotBmp);
  BitBlt(shot, 0, 0, 24, 20, screen, text.x - 24, text.y - 2, SRCCOPY);
  int best = 256;
  for (int dx = 16; dx <= 24; ++dx)
    for (int dy = -2; dy <= 2; ++dy) {
      int differ = 0;
      for (int y = 0; y < 16; ++y)
        for (int x = 0; x < 16; ++x) differ += GetPixel(shot, 24 - dx + x, 2 + dy + y) != GetPixel(mem, x, y);
      best = std::min(best, differ);
    }
  SelectObject(shot, oldShot);
  DeleteObject(shotBmp);
  DeleteDC(shot);
  SelectObject(mem, old);
  DeleteObject(bmp);
  DeleteDC(mem);
  ReleaseDC(nullptr, screen);
  DestroyIcon(info.hIcon);
  std::printf("%d\n", best);
  return 0;
}

// How many pixels of two client rectangles of one size differ.
int CmdSame(const TCall& C) {
  POINT a{std::atoi(C.Argv[3]), std::atoi(C.Argv[4])}, b{std::atoi(C.Argv[5]), std::atoi(C.Argv[6])};
  ClientToScreen(C.Board, &a);
  ClientToScreen(C.Board, &b);
  const int w = std::atoi(C.Argv[7]), h = std::atoi(C.Argv[8]);
  HDC dc = GetDC(nullptr);
  int differ = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) differ += GetPixel(dc, a.x + x, a.y + y) != GetPixel(dc, b.x + x, b.y + y);
  ReleaseDC(nullptr, dc);
  std::printf("%d\n", differ);
  return 0;
}

int CmdMarks(const TCall& C) {
  POINT at = C.Point(3);
  ClientToScreen(C.Board, &at);
  const int w = C.Int(5), h = C.Int(6);
  HDC dc = GetDC(nullptr);
  const COLORREF plain = GetPixel(dc, at.x, at.y);
  int marks = 0;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x) marks += GetPixel(dc, at.x + x, at.y + y) != plain;
  ReleaseDC(nullptr, dc);
  std::printf("%d\n", marks);
  return 0;
}

int CmdRect(const TCall& C) {
  HWND child = FirstVisibleChild(C.Board, C[3]);
  if (!child) return 1;
  RECT r;
  GetWindowRect(child, &r);
  MapWindowPoints(nullptr, C.Board, reinterpret_cast<POINT*>(&r), 2);
  PrintRect(r);
  return 0;
}

int CmdHover(const TCall& C) {
  HWND child = FirstVisibleChild(C.Board, C[3]);
  if (!child) return 1;
  POINT at = C.Point(4);
  ClientToScreen(child, &at);
  MovePointer(at);
  return 0;
}

int CmdCloseBox(const TCall& C) { return PostMessageA(C.Board, WM_SYSCOMMAND, SC_CLOSE, 0) ? 0 : 1; }
int CmdClickRow(const TCall& C) { return ClickRow(C.Board, 5, C[3]); }
int CmdDblClickRow(const TCall& C) { return ClickRow(C.Board, 5, C[3], 2); }
int CmdClickItem(const TCall& C) { return ClickRow(C.Board, size_t(C.Int(3)), C[4]); }
int CmdType(const TCall& C) { return Type(C.Board, C[3]); }
int CmdStatus(const TCall& C) { return StatusPanels(C.Board); }

int CmdText(const TCall& C) {
  HWND child = FindChild(C.Board, C[3]);
  if (!child) return 1;
  char buf[2048] = {};
  SendMessageA(child, WM_GETTEXT, sizeof buf, LPARAM(buf));
  std::printf("%s\n", Escaped(buf).c_str());
  return 0;
}

int CmdClickIn(const TCall& C) {
  HWND child = FirstVisibleChild(C.Board, C[3]);
  if (!child) return 1;
  Click(child, C.Point(4));
  return 0;
}

int CmdRightClickIn(const TCall& C) {
  HWND child = FindChild(C.Board, C[3]);
  if (!child) return 1;
  Click(child, C.Point(4), 1, true);
  return 0;
}

// The shell tells the icon's window through its callback message; the icon's window is one of the
// program's utility windows, and the others ignore the message.
int CmdTrayMenu(const TCall& C) {
  struct Ctx {
    DWORD Process;
    int Told;
  } ctx{0, 0};
  GetWindowThreadProcessId(C.Board, &ctx.Process);
  EnumWindows(
      [](HWND w, LPARAM p) -> BOOL {
        auto* c = reinterpret_cast<Ctx*>(p);
        char cls[64] = {};
        GetClassNameA(w, cls, sizeof cls);
        DWORD pid = 0;
        GetWindowThreadProcessId(w, &pid);
        if (pid == c->Process && std::strcmp(cls, "yOZUtilWindow") == 0) {
          PostMessageA(w, 0x6FF, 0, WM_RBUTTONDOWN);
          ++c->Told;
        }
        return TRUE;
      },
      reinterpret_cast<LPARAM>(&ctx));
  if (!ctx.Told) return 1;
  for (DWORD start = GetTickCount(); GetTickCount() - start < 10000; Sleep(50))
    if (CountShown("#32768") > 0) return 0;
  std::fprintf(stderr, "no popup menu from the tray icon\n");
  return 1;
}

int CmdClickTreePath(const TCall& C) {
  return ClickTreePath(C.Board, std::vector<std::string>(C.Argv + 3, C.Argv + C.Argc));
}
int CmdClickTree(const TCall& C) { return ClickTree(C.Board, C[3]); }
int CmdClickTab(const TCall& C) { return ClickTab(C.Board, C[3]); }
int CmdTree(const TCall& C) { return TreeLines(C.Board); }

int CmdClickAt(const TCall& C) {
  RECT rc;
  GetClientRect(C.Board, &rc);
  int x = std::atoi(C.Argv[3]), y = std::atoi(C.Argv[4]);
  Click(C.Board, POINT{x < 0 ? rc.right + x : x, y < 0 ? rc.bottom + y : y});
  return 0;
}

int CmdLook(const TCall& C) { return Look(C.Board); }

int CmdWidth(const TCall& C) {
  HWND child = FindChild(C.Board, C[3]);
  RECT rc{};
  if (!child || !GetWindowRect(child, &rc)) return 1;
  std::printf("%ld\n", long(IsWindowVisible(child) ? rc.right - rc.left : 0));
  return 0;
}

int CmdClickTool(const TCall& C) {
  auto docks = ChildrenByPlace(C.Board, "TdxDockControl");
  if (docks.empty()) return 1;
  Click(docks.front(), C.Point(3));
  return 0;
}

int CmdBars(const TCall& C) {
  auto docks = ChildrenByPlace(C.Board, "TdxDockControl");
  if (docks.empty()) return 1;
  for (HWND b : ChildrenByPlace(docks.front(), "TdxBarControl")) {
    RECT r;
    GetWindowRect(b, &r);
    MapWindowPoints(nullptr, docks.front(), reinterpret_cast<POINT*>(&r), 2);
    PrintRect(r);
  }
  return 0;
}

// A click at x,y of the n-th docked bar (1 = first); done once the bar's thread has handled it (a right
// click's menu is then open).
int ClickBar(const TCall& C, bool Right) {
  auto bars = ChildrenByPlace(C.Board, "TdxBarControl");
  size_t n = size_t(C.Int(3));
  if (n < 1 || n > bars.size()) return 1;
  Click(bars[n - 1], C.Point(4), 1, Right);
  return 0;
}
int CmdClickBar(const TCall& C) { return ClickBar(C, false); }

int CmdHoverBar(const TCall& C) {
  auto bars = ChildrenByPlace(C.Board, "TdxBarControl");
  size_t n = size_t(C.Int(3));
  if (n < 1 || n > bars.size()) return 1;
  Raise(C.Board);
  POINT p = C.Point(4);
  ClientToScreen(bars[n - 1], &p);
  MovePointer(p);
  return 0;
}

int CmdRowRect(const TCall& C) {
  HWND list = FindChild(C.Board, "TListView");
  if (!list) return 1;
  auto rows = BoardRows(list);
  for (size_t i = 0; i < rows.size(); ++i)
    if (rows[i].size() > 5 && rows[i][5] == C[3]) {
      TRemote r(list);
      RECT rc{LVIR_BOUNDS, 0, 0, 0};
      r.Write(0, &rc, sizeof rc);
      if (!SendMessageA(list, LVM_GETITEMRECT, WPARAM(i), LPARAM(r.At(0)))) return 1;
      r.Read(0, &rc, sizeof rc);
      MapWindowPoints(list, nullptr, reinterpret_cast<POINT*>(&rc), 2);
      std::printf("%ld,%ld,%ld,%ld\n", long(rc.left), long(rc.top), long(rc.right), long(rc.bottom));
      return 0;
    }
  return 1;
}
int CmdRightClickBar(const TCall& C) { return ClickBar(C, true); }

int CmdClickEntry(const TCall& C) { return ClickEntry(C.Board, C[3]); }

int CmdList(const TCall& C) {
  HWND list = FindChild(C.Board, "TListBox");
  if (!list) return 1;
  for (auto& e : ListEntries(list)) std::printf("%s\n", e.c_str());
  return 0;
}

int CmdClickEdit(const TCall& C) {
  auto edits = ChildrenByPlace(C.Board, C.Argc > 4 ? C[4] : "TEdit");
  size_t n = size_t(C.Int(3));
  if (n < 1 || n > edits.size()) return 1;
  return ClickCentre(edits[n - 1]);
}

// The index of the first character the n-th edit shows.
int CmdEditStart(const TCall& C) {
  auto edits = ChildrenByPlace(C.Board, C.Argc > 4 ? C.Argv[4] : "TEdit");
  size_t n = size_t(std::atoi(C.Argv[3]));
  if (n < 1 || n > edits.size()) return 1;
  std::printf("%d\n", int(SendMessageA(edits[n - 1], EM_GETFIRSTVISIBLELINE, 0, 0)));
  return 0;
}

int CmdClickButton(const TCall& C) { return ClickButton(C.Board, C[3]); }
int CmdPick(const TCall& C) { return Pick(C.Board, size_t(C.Int(3)), C[4]); }
int CmdDrop(const TCall& C) { return DropCombo(C.Board, size_t(C.Int(3))) ? 0 : 1; }
int CmdCombo(const TCall& C) {
  HWND combo = ComboByPlace(C.Board, size_t(C.Int(3)));
  if (!combo) return 1;
  std::printf("%s|%d\n", SendMessageA(combo, CB_GETDROPPEDSTATE, 0, 0) ? "dropped" : "closed",
              int(SendMessageA(combo, CB_GETCURSEL, 0, 0)));
  return 0;
}
int CmdEnabled(const TCall& C) {
  std::printf("%d\n", IsWindowEnabled(C.Board) ? 1 : 0);
  return 0;
}

// Looked through in order; the first entry of the command's name with its words present runs. The
// commands that wait for a window or need none run before the caption is looked up, so a wait starts
// whether or not the window is there yet.
const TCommand FreeCommands[] = {
    {"wait", 1, CmdWait},
    {"gone", 1, CmdGone},
    {"seed", 1, CmdSeed},
    {"user", 2, CmdUser},
    {"record", 2, CmdRecord},
    {"answer", 2, CmdAnswer},
    {"box", 1, CmdBox},
    {"box-lines", 1, CmdBoxLines},
    {"press", 2, CmdPress},
    {"churn", 5, CmdChurn},
    {"changer", 3, CmdChanger},
    {"dump", 2, CmdDump},
    {"messages", 2, CmdMessages},
    {"send", 5, CmdSend},
    {"set-status", 2, CmdSetStatus},
    {"shortcut", 0, CmdShortcut},
    {"menu-key", 1, CmdMenuKey},
    {"shown", 1, CmdShown},
    {"hover-screen", 2, CmdHoverScreen},
    {"screen-pixel", 2, CmdScreenPixel},
    {"popup-rect", 0, CmdPopupRect},
    {"class-rect", 1, CmdClassRect},
    {"client-rect", 1, CmdClientRect},
};

const TCommand BoardCommands[] = {
    {"board", 1, CmdBoard},
    {"key", 2, CmdKey},
    {"follow", 6, CmdFollow},
    {"key-mods-first-up", 2, CmdKeyModsFirstUp},
    {"held", 1, CmdHeld},
    {"painted", 1, CmdPainted},
    {"answers", 1, CmdAnswers},
    {"click-close", 1, CmdClickClose},
    {"dblclick-caption", 1, CmdDblClickCaption},
    {"pixel", 3, CmdPixel},
    {"icon", 4, CmdIcon},
    {"same", 7, CmdSame},
    {"marks", 5, CmdMarks},
    {"rect", 2, CmdRect},
    {"hover", 4, CmdHover},
    {"close-box", 1, CmdCloseBox},
    {"click-row", 2, CmdClickRow},
    {"dblclick-row", 2, CmdDblClickRow},
    {"click-item", 3, CmdClickItem},
    {"type", 2, CmdType},
    {"status", 1, CmdStatus},
    {"text", 2, CmdText},
    {"click-in", 4, CmdClickIn},
    {"right-click-in", 4, CmdRightClickIn},
    {"tray-menu", 1, CmdTrayMenu},
    {"click-tree", 3, CmdClickTreePath},
    {"click-tree", 2, CmdClickTree},
    {"click-tab", 2, CmdClickTab},
    {"tree", 1, CmdTree},
    {"click-at", 3, CmdClickAt},
    {"look", 1, CmdLook},
    {"width", 2, CmdWidth},
    {"click-tool", 3, CmdClickTool},
    {"bars", 1, CmdBars},
    {"click-bar", 4, CmdClickBar},
    {"hover-bar", 4, CmdHoverBar},
    {"row-rect", 2, CmdRowRect},
    {"right-click-bar", 4, CmdRightClickBar},
    {"click-entry", 2, CmdClickEntry},
    {"list", 1, CmdList},
    {"click-edit", 2, CmdClickEdit},
    {"edit-start", 2, CmdEditStart},
    {"click-button", 2, CmdClickButton},
    {"pick", 3, CmdPick},
    {"drop", 2, CmdDrop},
    {"combo", 2, CmdCombo},
    {"enabled", 1, CmdEnabled},
};

// The entry of Commands for this call, nullptr when none fits.
template <size_t N>
const TCommand* Find(const TCommand (&Commands)[N], const TCall& C) {
  for (const TCommand& c : Commands)
    if (C.Argc - 2 >= c.Words && std::strcmp(C[1], c.Name) == 0) return &c;
  return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
  // The scripts tell a run that Wine ended before this code ran from one that failed by this mark.
  if (const char* started = std::getenv("YOZDRIVE_STARTED")) {
    HANDLE f = CreateFileA(started, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
  }
  if (argc < 2 || (argc < 3 && std::string(argv[1]) != "shortcut" && std::string(argv[1]) != "popup-rect")) return 2;
  if (const char* go = std::getenv("YOZDRIVE_GO")) {
    if (const char* ready = std::getenv("YOZDRIVE_READY")) {
      HANDLE f = CreateFileA(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
      if (f != INVALID_HANDLE_VALUE) CloseHandle(f);
    }
    for (DWORD start = GetTickCount(); GetFileAttributesA(go) == INVALID_FILE_ATTRIBUTES && GetTickCount() - start < 30000;)
      Sleep(1);
  }
  try {
    TCall call{argc, argv, nullptr};
    if (const TCommand* c = Find(FreeCommands, call)) return c->Run(call);
    call.Board = FindBoard(argv[2]);
    if (!call.Board) {
      std::fprintf(stderr, "no window \"%s\"\n", argv[2]);
      return 1;
    }
    if (const TCommand* c = Find(BoardCommands, call)) return c->Run(call);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "%s\n", e.what());
    return 1;
  }
  return 2;
}
