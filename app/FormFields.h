#pragma once
// What the dialogs share: finding a form resource's components by name, and the record keys that
// the stores attach to list entries.
#include <cstdint>
#include <string>
#include <type_traits>

#include "Classes.h"

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
