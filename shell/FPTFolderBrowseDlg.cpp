#include "FPTFolderBrowseDlg.h"

#include "ExtCtrlsPanels.h"
#include "Graphics.h"
#include "SysUtils.h"
#include "UPTShConsts.h"

const TEnumInfo PTFolderBrowseDlgOptionNames{
    "TPTFolderBrowseDlgOption",
    {"ptfbCreateDeleteButtons", "ptfbContextMenus", "ptfbReadOnly", "ptfbIncludeNonFolders", "ptfbOleDrag",
     "ptfbOleDrop", "ptfbCreateFolderIcon", "ptfbDeleteFolderIcon", "ptfbVirtualFolders", "ptfbShowHidden"}};

namespace {

constexpr int MinTrackWidth = 366;
constexpr int MinTrackHeight = 340;
constexpr int GripSize = 13;

// The speed buttons' pictures: a folder with a spark (new, with its greyed twin for the disabled
// state) and a red cross (delete), 16 x 16 on olive, which the button draws transparent.
void DrawGlyph(TBitmap* Bitmap, bool Delete) {
  int states = Delete ? 1 : 2;
  Bitmap->SetWidth(16 * states);
  Bitmap->SetHeight(16);
  TCanvas* c = Bitmap->Canvas();
  c->Brush()->SetColor(clOlive);
  c->FillRect(RECT{0, 0, 16 * states, 16});
  if (Delete) {
    c->Pen()->SetColor(clRed);
    c->Pen()->SetWidth(2);
    c->MoveTo(3, 3);
    c->LineTo(13, 13);
    c->MoveTo(12, 3);
    c->LineTo(2, 13);
    return;
  }
  for (int i = 0; i < states; ++i) {
    int x = 16 * i;
    bool grey = i == 1;
    c->Pen()->SetColor(grey ? clGray : clBlack);
    c->Brush()->SetColor(grey ? clSilver : clYellow);
    c->Rectangle(x + 1, 5, x + 13, 14);
    c->Rectangle(x + 1, 3, x + 6, 6);
    c->Pen()->SetColor(grey ? clGray : clRed);
    c->MoveTo(x + 13, 0);
    c->LineTo(x + 13, 6);
    c->MoveTo(x + 10, 3);
    c->LineTo(x + 16, 3);
  }
}

}  // namespace

// ---------------------------------------------------------------------------------------------------
// The form

TPTFrmFolderBrowseDlg::TPTFrmFolderBrowseDlg(TComponent* AOwner) : TForm(AOwner) {}

void TPTFrmFolderBrowseDlg::Loaded() {
  auto find = [this](auto*& field, const char* name) {
    using T = std::remove_pointer_t<std::remove_reference_t<decltype(field)>>;
    field = dynamic_cast<T*>(FindComponent(name));
    if (!field) throw EComponentError(std::string("Folder-browse form component missing: ") + name);
  };
  find(PTShellTree1, "PTShellTree1");
  find(ButtonPanel, "ButtonPanel");
  find(OkBtn, "OkBtn");
  find(CancelBtn, "CancelBtn");
  find(CreateBtn, "CreateBtn");
  find(DeleteBtn, "DeleteBtn");
  find(CreateNewFolderBtn, "CreateNewFolderBtn");
  find(DeleteFolderBtn, "DeleteFolderBtn");
  find(StatusTxt, "StatusTxt");
  TForm::Loaded();
}

void TPTFrmFolderBrowseDlg::FormCreate(TObject*) {
  PTShellTree1->SetShowRoot(true);
  // Esc belongs to Cancel alone: it must never create or delete a folder.
  CreateBtn->SetCancel(false);
  DeleteBtn->SetCancel(false);
  DrawGlyph(CreateNewFolderBtn->Glyph(), false);
  DrawGlyph(DeleteFolderBtn->Glyph(), true);
  CreateNewFolderBtn->Invalidate();
  DeleteFolderBtn->Invalidate();
}

void TPTFrmFolderBrowseDlg::CreateWnd() {
  if (PTShellTree1) {
    // Creating the tree's window must not post its fill: the run fills it once, when the form shows.
    TPTShellTreeOptions options = PTShellTree1->Options();
    FAutoFillDeferred = options.Contains(ptstoAutoFill);
    if (FAutoFillDeferred) PTShellTree1->SetOptions(options - TPTShellTreeOptions{ptstoAutoFill});
  }
  TForm::CreateWnd();
  RECT r;
  ::GetClientRect(Handle(), &r);
  FSizeGrip = CreateWindowExA(0, "SCROLLBAR", "", 0x56000010, r.right - GripSize, r.bottom - GripSize, GripSize,
                              GripSize, Handle(), nullptr, GetModuleHandleA(nullptr), nullptr);
  SetWindowPos(FSizeGrip, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void TPTFrmFolderBrowseDlg::DoShow() {
  TForm::DoShow();
  Font()->SetName("MS Sans Serif");
  if (FAutoFillDeferred) {
    FAutoFillDeferred = false;
    PTShellTree1->SetOptions(PTShellTree1->Options() + TPTShellTreeOptions{ptstoAutoFill});
    PTShellTree1->ResetTree();
  }
  PTShellTree1Change(PTShellTree1, PTShellTree1->Selected());
  LoadCaptions();
  // The options may have moved buttons since the last resize.
  FormResize(this);
  OnFormShow(this);
}

void TPTFrmFolderBrowseDlg::DoHide() {
  TForm::DoHide();
  OnFormClose(this);
}

void TPTFrmFolderBrowseDlg::LoadCaptions() {
  OkBtn->SetCaption("OK");
  CancelBtn->SetCaption("Cancel");
  CreateNewFolderBtn->SetHint("Create Folder|Creates a new, empty folder.");
  DeleteFolderBtn->SetHint(PTLoadStr(sPTDelete) + "|" + PTLoadStr(sPTDeleteHint));
  if (Caption().empty()) SetCaption(PTLoadStr(sPTBrowseForFolder));
}

void TPTFrmFolderBrowseDlg::ApplyOptions(TPTFolderBrowseDlgOptions Options) {
  FOptions = Options;
  TPTShellTreeOptions tree = PTShellTree1->Options();
  auto map = [&](TPTShellTreeOption To, TPTFolderBrowseDlgOption From) {
    if (Options.Contains(From)) tree.Include(To);
    else tree.Exclude(To);
  };
  map(ptstoOleDrag, ptfbOleDrag);
  map(ptstoOleDrop, ptfbOleDrop);
  map(ptstoIncludeNonFolders, ptfbIncludeNonFolders);
  map(ptstoVirtualFolders, ptfbVirtualFolders);
  map(ptstoContextMenus, ptfbContextMenus);
  map(ptstoShowHidden, ptfbShowHidden);
  PTShellTree1->SetOptions(tree);
  CreateBtn->SetVisible(Options.Contains(ptfbCreateDeleteButtons));
  DeleteBtn->SetVisible(Options.Contains(ptfbCreateDeleteButtons));
  CreateNewFolderBtn->SetVisible(Options.Contains(ptfbCreateFolderIcon));
  DeleteFolderBtn->SetVisible(Options.Contains(ptfbDeleteFolderIcon));
  PTShellTree1->SetReadOnly(Options.Contains(ptfbReadOnly));
}

void TPTFrmFolderBrowseDlg::FormResize(TObject*) {
  if (!PTShellTree1 || !HandleAllocated()) return;
  RECT client;
  ::GetClientRect(Handle(), &client);
  StatusTxt->SetWidth(Width() - 24);
  int treeLeft = PTShellTree1->Left();
  int treeTop = StatusTxt->Top() + StatusTxt->Height() + 8;
  PTShellTree1->SetBounds(treeLeft, treeTop, Width() - 24, ButtonPanel->Top() - 8 - treeTop);
  if (!FOptions.Contains(ptfbCreateDeleteButtons)) {
    CancelBtn->SetLeft(client.right - 16 - CancelBtn->Width());
    OkBtn->SetLeft(CancelBtn->Left() - 4 - OkBtn->Width());
  } else {
    OkBtn->SetLeft(treeLeft);
    CancelBtn->SetLeft(OkBtn->Left() + OkBtn->Width() + 4);
  }
  int x = client.right - 16;
  if (DeleteFolderBtn->Visible()) {
    DeleteFolderBtn->SetLeft(x - DeleteFolderBtn->Width());
    x = DeleteFolderBtn->Left() - 8;
  }
  if (CreateNewFolderBtn->Visible()) {
    CreateNewFolderBtn->SetLeft(x - CreateNewFolderBtn->Width());
    x = CreateNewFolderBtn->Left() - 4;
  }
  StatusTxt->SetWidth(x - StatusTxt->Left());
  if (FSizeGrip)
    SetWindowPos(FSizeGrip, HWND_TOP, client.right - GripSize, client.bottom - GripSize, 0, 0, SWP_NOSIZE);
}

void TPTFrmFolderBrowseDlg::PTShellTree1Change(TObject*, TTreeNode* Node) {
  TPTShTreeData* data = TPTCustomShellTree::ShellData(Node);
  if (!data) return;
  std::string path = data->Path();
  CreateBtn->SetEnabled(!path.empty());
  CreateNewFolderBtn->SetEnabled(!path.empty());
  DeleteBtn->SetEnabled(!path.empty() && Node->AbsoluteIndex() != 0);
  DeleteFolderBtn->SetEnabled(DeleteBtn->Enabled());
  OnSelChange(this, data->AbsolutePidl());
}

void TPTFrmFolderBrowseDlg::PTShellTree1AddItem(TObject*, IShellFolder*, PCIDLIST_ABSOLUTE, PCUITEMID_CHILD, int,
                                                BOOL&) {}

void TPTFrmFolderBrowseDlg::CreateBtnClick(TObject*) { PTShellTree1->CreateNewFolder(true); }

void TPTFrmFolderBrowseDlg::DeleteBtnClick(TObject*) {
  if (TTreeNode* node = PTShellTree1->Selected()) PTShellTree1->InvokeVerb(node, "delete");
  PTShellTree1->Refresh();
}

void TPTFrmFolderBrowseDlg::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_GETMINMAXINFO) {
    TForm::Dispatch(Message);
    auto* info = reinterpret_cast<MINMAXINFO*>(Message.LParam);
    info->ptMinTrackSize = POINT{MinTrackWidth, MinTrackHeight};
    return;
  }
  TForm::Dispatch(Message);
}

void TPTFrmFolderBrowseDlg::Publish(TPublisher<TPTFrmFolderBrowseDlg>& p) {
  p.Method("FormCreate", &TPTFrmFolderBrowseDlg::FormCreate);
  p.Method("FormResize", &TPTFrmFolderBrowseDlg::FormResize);
  p.Method("PTShellTree1Change", &TPTFrmFolderBrowseDlg::PTShellTree1Change);
  p.Method("PTShellTree1AddItem", &TPTFrmFolderBrowseDlg::PTShellTree1AddItem);
  p.Method("CreateBtnClick", &TPTFrmFolderBrowseDlg::CreateBtnClick);
  p.Method("DeleteBtnClick", &TPTFrmFolderBrowseDlg::DeleteBtnClick);
}

// ---------------------------------------------------------------------------------------------------
// The dialog component

TPTCustomFolderBrowseDlg::TPTCustomFolderBrowseDlg(TComponent* AOwner) : TPTDialog(AOwner) {
  FSelectedFolder = new TPTShellLocator;
  FBaseFolder = new TPTShellLocator;
}

TPTCustomFolderBrowseDlg::~TPTCustomFolderBrowseDlg() {
  delete FSelectedFolder;
  delete FBaseFolder;
}

std::string TPTCustomFolderBrowseDlg::SelectedPath() { return PidlToPath(FSelectedFolder->Pidl()); }

TPTFrmFolderBrowseDlg* TPTCustomFolderBrowseDlg::CreateForm() {
  // The form reader must know every class of the form, whoever started the units.
  FPTFolderBrowseDlgInitialize();
  return NewForm<TPTFrmFolderBrowseDlg>(Application);
}

bool TPTCustomFolderBrowseDlg::DoExecute() {
  if (FActiveForm) throw Exception("TPTFolderBrowseDlg form already active");
  TCursor saved = Screen->Cursor();
  Screen->SetCursor(crHourGlass);
  TPTFrmFolderBrowseDlg* form = nullptr;
  TScopeExit finish([&] {
    if (form) TObject::Free(form);
    FActiveForm = nullptr;
    Screen->SetCursor(saved);
  });
  form = CreateForm();
  InitForm(form);
  FActiveForm = form;
  DoInitialized();
  bool ok = form->ShowModal() == mrOk;
  UpdateFromForm(form);
  return ok;
}

void TPTCustomFolderBrowseDlg::InitForm(TPTFrmFolderBrowseDlg* Form) {
  Form->OnSelChange = OnSelChange;
  Form->PTShellTree1->OnAddItem = OnAddItem;
  Form->PTShellTree1->OnCustomDrawSh = OnTvCustomDrawSh;
  Form->PTShellTree1->OnCustomDrawShEx = OnTvCustomDrawShEx;
  Form->OnFormShow = OnFormShow;
  Form->OnFormClose = OnFormClose;
  Form->StatusTxt->SetCaption(StatusText);
  if (FormWidth > 0) Form->SetWidth(FormWidth);
  if (FormHeight > 0) Form->SetHeight(FormHeight);
  Form->SetWindowState(FormWindowState);
  Form->ApplyOptions(Options);
  Form->SetCaption(Title.empty() ? PTLoadStr(sPTBrowseForFolder) : Title);
  Form->PTShellTree1->SetBaseFolder(FBaseFolder);
  Form->PTShellTree1->SetSelectedFolder(FSelectedFolder);
}

void TPTCustomFolderBrowseDlg::UpdateFromForm(TPTFrmFolderBrowseDlg* Form) {
  WINDOWPLACEMENT place{};
  place.length = sizeof place;
  if (Form->HandleAllocated() && GetWindowPlacement(Form->Handle(), &place)) {
    FormWidth = place.rcNormalPosition.right - place.rcNormalPosition.left;
    FormHeight = place.rcNormalPosition.bottom - place.rcNormalPosition.top;
  }
  FormWindowState = Form->WindowState();
  if (Form->ModalResult() == mrOk) FSelectedFolder->Assign(Form->PTShellTree1->SelectedFolder());
}

void TPTFolderBrowseDlg::Publish(TPublisher<TPTFolderBrowseDlg>& p) {
  p.Object("BaseFolder", &TPTFolderBrowseDlg::BaseFolder);
  p.Set("Options", PTFolderBrowseDlgOptionNames, &TPTFolderBrowseDlg::Options, &TPTFolderBrowseDlg::Options)
      .Default(706);
  p.Event("OnAddItem", &TPTFolderBrowseDlg::OnAddItem);
  p.Event("OnSelChange", &TPTFolderBrowseDlg::OnSelChange);
  p.Event("OnTvCustomDrawSh", &TPTFolderBrowseDlg::OnTvCustomDrawSh);
  p.Event("OnTvCustomDrawShEx", &TPTFolderBrowseDlg::OnTvCustomDrawShEx);
}

void FPTFolderBrowseDlgInitialize() {
  RegisterStdCtrlsClasses();
  RegisterButtonsClasses();
  RegisterExtCtrlsPanelsClasses();
  UPTFrameInitialize();
  UPTShellTreeInitialize();
  RegisterClasses({TPTFrmFolderBrowseDlg::StaticClass(), TPTFolderBrowseDlg::StaticClass()});
}
