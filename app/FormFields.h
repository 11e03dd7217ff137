#pragma once
// What the dialogs share: finding a form resource's components by name, the record keys that the
// stores attach to list entries, and the pickers' lists that a click chooses from.
#include <cstdint>
#include <string>
#include <type_traits>

#include "Classes.h"
#include "StdCtrls.h"

// Field := the component Name of Form as its class. A resource without it (or with another class)
// is a broken build, said at once rather than found later as a null pointer.
template <class T>
void FindField(TComponent* Form, T*& Field, const char* Name) {
  Field = dynamic_cast<T*>(Form->FindComponent(Name));
  if (!Field) throw EComponentError(Form->Name() + " component missing: " + Name);
}

// The record key that a store attached to entry Index of a filled list.
inline int EntryKey(TStrings* Items, int Index) {
  return static_cast<int>(reinterpret_cast<intptr_t>(Items->Objects(Index)));
}

// A picker's list: a click on an entry chooses it at once, while keys (arrows, a letter) only move
// through the list, and Enter chooses the entry reached. The list's own OnClick handler asks
// ByKeys() and chooses only when it is False; Enter calls that handler.
class TPickListKeys {
public:
  void Attach(TListBox* List) {
    FList = List;
    List->OnKeyDown = Bind(this, &TPickListKeys::KeyDown);
    List->OnKeyUp = Bind(this, &TPickListKeys::KeyUp);
  }
  // The list's selection is moving under a key now: not a choice.
  bool ByKeys() const { return FByKeys; }

private:
  void KeyDown(TObject*, uint16_t& Key, TShiftState) {
    FByKeys = Key != VK_RETURN;
    if (Key != VK_RETURN || FList->ItemIndex() < 0) return;
    Key = 0;
    FList->OnClick(FList);
  }
  void KeyUp(TObject*, uint16_t&, TShiftState) { FByKeys = false; }

  TListBox* FList = nullptr;
  bool FByKeys = false;
};
