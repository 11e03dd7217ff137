#include "FPTOpenDlg.h"

#include "SysUtils.h"

TPTDialog::TPTDialog(TComponent* AOwner) : TComponent(AOwner) {}

bool TPTDialog::Execute() {
  if (FExecuting) throw Exception(std::string(ClassName()) + " already executing");
  FExecuting = true;
  TScopeExit done([this] { FExecuting = false; });
  return DoExecute();
}

void TPTDialog::DoInitialized() { OnInitialized(this); }

void TPTDialog::ReadFormState(TStream* Stream) {
  int32_t w = 0, h = 0;
  uint8_t state = 0;
  Stream->ReadBuffer(&w, 4);
  Stream->ReadBuffer(&h, 4);
  Stream->ReadBuffer(&state, 1);
  FormWidth = w;
  FormHeight = h;
  FormWindowState = TWindowState(state);
}

void TPTDialog::WriteFormState(TStream* Stream) {
  uint8_t state = uint8_t(FormWindowState);
  Stream->WriteBuffer(&FormWidth, 4);
  Stream->WriteBuffer(&FormHeight, 4);
  Stream->WriteBuffer(&state, 1);
}

void TPTDialog::Publish(TPublisher<TPTDialog>& p) {
  p.Str("Title", &TPTDialog::Title, &TPTDialog::Title);
  p.Int("FormWidth", &TPTDialog::FormWidth, &TPTDialog::FormWidth).Default(-1);
  p.Int("FormHeight", &TPTDialog::FormHeight, &TPTDialog::FormHeight).Default(-1);
  p.Enum("FormWindowState", WindowStateNames, &TPTDialog::FormWindowState, &TPTDialog::FormWindowState)
      .Default(wsNormal);
  p.Event("OnFormClose", &TPTDialog::OnFormClose);
  p.Event("OnFormShow", &TPTDialog::OnFormShow);
  p.Event("OnInitialized", &TPTDialog::OnInitialized);
}
