#include "UPTImageCombo.h"

TPTImageComboItem* ImageComboItem(TStrings* Items, int Index) {
  return dynamic_cast<TPTImageComboItem*>(Items->Objects(Index));
}
