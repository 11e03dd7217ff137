#pragma once
// Helpers of the dialog tests: the program's dialogs made and wired to the main window's commands as
// the program does, steps run inside a modal dialog's loop, and a user's clicks and typing.
#include <windows.h>

#include <functional>
#include <string>
#include <vector>

#include "StdCtrls.h"

// Makes the dialogs that the program makes at start (the main window exists) and points the main
// window's commands at them; FreeDialogs undoes both.
void MakeDialogs();
void FreeDialogs();

// Runs Steps from inside the next modal loop (a thread timer fires once it runs). A failed
// expectation inside is reported as usual; a thrown exception is caught and reported. A dialog still
// up long after the steps ended is cancelled (a failure), so a step that missed never hangs the test.
void WhenModal(std::function<void()> Steps);

// A left click on entry Index of a list box, as the mouse makes it.
void ClickItem(TListBox* List, int Index);
// The index of the entry with exactly this text, -1 when none.
int ItemOf(TStrings* Items, const std::string& Text);
// Clicks the entry with this text (a failed expectation when there is none).
void ClickItem(TListBox* List, const std::string& Text);
// Every entry, in list order.
std::vector<std::string> Entries(TStrings* Items);

// Runs the idle update of every action list, as the application does between messages.
void IdleUpdate();
// Presses the button with a click as the user would; False (and nothing pressed) when it is
// disabled after the idle update.
bool Press(TButtonControl* Button);
// Keys as the keyboard sends them (SendInput) to the foreground window: Vk pressed and released with
// the modifiers Held down. Returns once this thread has handled them all, with the action lists
// updated after, as the application updates them between messages; a key the thread never gets is a
// failed expectation.
void PressKeys(WORD Vk, const std::vector<WORD>& Held = {});

// Replaces an edit's text by typing it: select all, then one WM_CHAR per character.
void Type(TCustomEdit* Edit, const std::string& Text);
