// Items of the image combo: the object a combo's string item carries.
#pragma once

#include "Classes.h"

class TPTImageComboItem : public TObject {
  YOZ_CLASS(TPTImageComboItem, TObject)
};

// The object of item Index of an image combo's list as its item record (nullptr when it has none).
TPTImageComboItem* ImageComboItem(TStrings* Items, int Index);
