#pragma once
// Helpers of the dialog tests: the program's dialogs made and wired to the main window's commands as
// the program does, steps run inside a modal dialog's loop, and a user's clicks and typing.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "StdCtrls.h"
#include "TestSupport.h"

// Makes the dialogs that the program makes at start (the main window exists) and points the main
// window's commands at them; FreeDialogs undoes both.
void MakeDialogs();
void FreeDialogs();

// Runs Steps from inside the next modal loop (a thread timer fires once it runs). A failed
// expectation inside is reported as usual; a thrown exception is caught and reported. A dialog still
// up long after the steps ended is cancelled (a failure), so a step that missed never hangs the test.
void WhenModal(std::function<void()> Steps);

// A left click on entry Index of a list box, as the mouse makes it (SendInput), handled on return.
void ClickItem(TListBox* List, int Index);
// The index of the entry with exactly this text, -1 when none.
int ItemOf(TStrings* Items, const std::string& Text);
// Clicks the entry with this text (a failed expectation when there is none).
void ClickItem(TListBox* List, const std::string& Text);
// Every entry, in list order.
std::vector<std::string> Entries(TStrings* Items);

// Runs the idle update of every action list, as the application does between messages.
void IdleUpdate();
// Presses the button with a real click as the user would, handled on return (with a modal loop it
// opened); False (and nothing pressed) when it is disabled after the idle update.
bool Press(TButtonControl* Button);
// Replaces an edit's text by typing it: a click into it, all its text selected, then the characters
// as the keyboard sends them.
void Type(TCustomEdit* Edit, const std::string& Text);
