#include "ExtCtrlsPanels.h"

#include <algorithm>

const TEnumInfo BevelCutNames{"TBevelCut", {"bvNone", "bvLowered", "bvRaised", "bvSpace"}};
static const TEnumInfo BevelShapeNames{
    "TBevelShape", {"bsBox", "bsFrame", "bsTopLine", "bsBottomLine", "bsLeftLine", "bsRightLine", "bsSpacer"}};
static const TEnumInfo BevelStyleNames{"TBevelStyle", {"bsLowered", "bsRaised"}};
static const TEnumInfo PanelBorderStyleNames{"TBorderStyle", {"bsNone", "bsSingle"}};

namespace {
// A 3D frame of Width pixels: Top colour on the top and left, Bottom colour on the bottom and right;
// Rect shrinks by Width.
void Frame3D(HDC dc, RECT& r, COLORREF top, COLORREF bottom, int width) {
  HPEN tp = CreatePen(PS_SOLID, 1, top), bp = CreatePen(PS_SOLID, 1, bottom);
  HGDIOBJ old = SelectObject(dc, tp);
  for (int i = 0; i < width; ++i) {
    --r.bottom;
    --r.right;
    SelectObject(dc, tp);
    MoveToEx(dc, r.left, r.bottom, nullptr);
    LineTo(dc, r.left, r.top);
    LineTo(dc, r.right, r.top);
    SelectObject(dc, bp);
    LineTo(dc, r.right, r.bottom);
    LineTo(dc, r.left - 1, r.bottom);
    ++r.left;
    ++r.top;
  }
  SelectObject(dc, old);
  DeleteObject(tp);
  DeleteObject(bp);
}
}  // namespace

// ---------------------------------------------------------------------------------------------------
// TCustomPanel

TCustomPanel::TCustomPanel(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csOpaque, csDoubleClicks};
  FColor = clBtnFace;
  SetBounds(0, 0, 185, 41);
}

void TCustomPanel::CreateParams(TCreateParams& Params) {
  TCustomControl::CreateParams(Params);
  Params.Style |= WS_CLIPCHILDREN;
  if (FBorderStyle == bsSingle) Params.ExStyle |= WS_EX_CLIENTEDGE;
}

void TCustomPanel::SetAlignment(TAlignment Value) {
  if (Value == FAlignment) return;
  FAlignment = Value;
  Invalidate();
}

void TCustomPanel::SetBevelInner(TBevelCut Value) {
  if (Value == FBevelInner) return;
  FBevelInner = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelOuter(TBevelCut Value) {
  if (Value == FBevelOuter) return;
  FBevelOuter = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBevelWidth(int Value) {
  if (Value == FBevelWidth || Value < 1) return;
  FBevelWidth = Value;
  Realign();
  Invalidate();
}

void TCustomPanel::SetBorderStyle(TBorderStyle Value) {
  if (Value == FBorderStyle) return;
  FBorderStyle = Value;
  RecreateWnd();
}

void TCustomPanel::AdjustClientRect(RECT& Rect) {
  TCustomControl::AdjustClientRect(Rect);
  int bevel = (FBevelOuter != bvNone ? FBevelWidth : 0) + (FBevelInner != bvNone ? FBevelWidth : 0);
  InflateRect(&Rect, -bevel, -bevel);
}

void TCustomPanel::Paint() {
  TCanvas* c = Canvas();
  HDC dc = c->Handle();
  RECT r = ClientRect();
  COLORREF hi = ColorToRGB(clBtnHighlight), sh = ColorToRGB(clBtnShadow);
  if (FBevelOuter != bvNone) {
    if (FBevelOuter == bvSpace) InflateRect(&r, -FBevelWidth, -FBevelWidth);
    else Frame3D(dc, r, FBevelOuter == bvLowered ? sh : hi, FBevelOuter == bvLowered ? hi : sh, FBevelWidth);
  }
  if (FBevelInner != bvNone) {
    if (FBevelInner == bvSpace) InflateRect(&r, -FBevelWidth, -FBevelWidth);
    else Frame3D(dc, r, FBevelInner == bvLowered ? sh : hi, FBevelInner == bvLowered ? hi : sh, FBevelWidth);
  }
  c->Brush()->SetColor(Color());
  c->Brush()->SetStyle(bsSolid);
  c->FillRect(r);
  std::string text = Caption();
  if (!text.empty()) {
    c->SetFont(Font());
    SetBkMode(c->Handle(), TRANSPARENT);
    SetTextColor(c->Handle(), ColorToRGB(Font()->Color()));
    UINT flags = DT_SINGLELINE | DT_VCENTER | DT_EXPANDTABS |
                 (FAlignment == taLeftJustify ? DT_LEFT : FAlignment == taRightJustify ? DT_RIGHT : DT_CENTER);
    DrawTextA(c->Handle(), text.c_str(), int(text.size()), &r, flags);
  }
}

void TCustomPanel::Dispatch(TMessage& Message) {
  if (Message.Msg == CM_TEXTCHANGED || Message.Msg == CM_COLORCHANGED) Invalidate();
  if (Message.Msg == WM_SIZE && FFullRepaint) {
    TCustomControl::Dispatch(Message);
    Invalidate();
    return;
  }
  TCustomControl::Dispatch(Message);
}

void TCustomPanel::Publish(TPublisher<TCustomPanel>& p) {
  p.Enum("Alignment", AlignmentNames, &TCustomPanel::Alignment, &TCustomPanel::SetAlignment).Default(taCenter);
  p.Enum("BevelInner", BevelCutNames, &TCustomPanel::BevelInner, &TCustomPanel::SetBevelInner).Default(bvNone);
  p.Enum("BevelOuter", BevelCutNames, &TCustomPanel::BevelOuter, &TCustomPanel::SetBevelOuter).Default(bvRaised);
  p.Int("BevelWidth", &TCustomPanel::BevelWidth, &TCustomPanel::SetBevelWidth).Default(1);
  p.Enum("BorderStyle", PanelBorderStyleNames, &TCustomPanel::BorderStyle, &TCustomPanel::SetBorderStyle).Default(bsNone);
  p.Bool("FullRepaint", &TCustomPanel::FullRepaint, &TCustomPanel::SetFullRepaint).Default(1);
  p.Bool("Locked", &TCustomPanel::Locked, &TCustomPanel::SetLocked).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// TBevel

TBevel::TBevel(TComponent* AOwner) : TGraphicControl(AOwner) {
  FControlStyle.Include(csReplicatable);
  SetBounds(0, 0, 50, 50);
}

void TBevel::SetShape(TBevelShape Value) {
  if (Value == FShape) return;
  FShape = Value;
  Invalidate();
}

void TBevel::SetStyle(TBevelStyle Value) {
  if (Value == FStyle) return;
  FStyle = Value;
  Invalidate();
}

void TBevel::Paint() {
  HDC dc = Canvas()->Handle();
  COLORREF c1 = ColorToRGB(FStyle == bsLowered ? clBtnShadow : clBtnHighlight);
  COLORREF c2 = ColorToRGB(FStyle == bsLowered ? clBtnHighlight : clBtnShadow);
  int w = Width(), h = Height();
  auto line = [&](COLORREF c, int x1, int y1, int x2, int y2) {
    HPEN p = CreatePen(PS_SOLID, 1, c);
    HGDIOBJ o = SelectObject(dc, p);
    MoveToEx(dc, x1, y1, nullptr);
    LineTo(dc, x2, y2);
    SelectObject(dc, o);
    DeleteObject(p);
  };
  switch (FShape) {
    case bsBox: {
      RECT r{0, 0, w, h};
      Frame3D(dc, r, c1, c2, 1);
      break;
    }
    case bsFrame: {
      RECT r{0, 0, w - 1, h - 1};
      Frame3D(dc, r, c1, c2, 1);
      r = RECT{1, 1, w, h};
      Frame3D(dc, r, c2, c1, 1);
      break;
    }
    case bsTopLine:
      line(c1, 0, 0, w, 0);
      line(c2, 0, 1, w, 1);
      break;
    case bsBottomLine:
      line(c1, 0, h - 2, w, h - 2);
      line(c2, 0, h - 1, w, h - 1);
      break;
    case bsLeftLine:
      line(c1, 0, 0, 0, h);
      line(c2, 1, 0, 1, h);
      break;
    case bsRightLine:
      line(c1, w - 2, 0, w - 2, h);
      line(c2, w - 1, 0, w - 1, h);
      break;
    case bsSpacer:
      break;
  }
}

void TBevel::Publish(TPublisher<TBevel>& p) {
  p.Enum("Shape", BevelShapeNames, &TBevel::Shape, &TBevel::SetShape).Default(bsBox);
  p.Enum("Style", BevelStyleNames, &TBevel::Style, &TBevel::SetStyle).Default(bsLowered);
}

// ---------------------------------------------------------------------------------------------------
// TImage

TImage::TImage(TComponent* AOwner) : TGraphicControl(AOwner) {
  FPicture = new TPicture();
  FPicture->OnChange = TNotifyEvent(this, &TImage::PictureChanged);
  FControlStyle.Include(csReplicatable);
  SetBounds(0, 0, 105, 105);
}

TImage::~TImage() { delete FPicture; }

void TImage::PictureChanged(TObject*) {
  if (FAutoSize && FPicture->Width() > 0 && FPicture->Height() > 0)
    SetBounds(Left(), Top(), FPicture->Width(), FPicture->Height());
  if (FPicture->Graphic()) FPicture->Graphic()->SetTransparent(FTransparent);
  Invalidate();
}

void TImage::SetStretch(bool Value) {
  if (Value == FStretch) return;
  FStretch = Value;
  Invalidate();
}

void TImage::SetCenter(bool Value) {
  if (Value == FCenter) return;
  FCenter = Value;
  Invalidate();
}

void TImage::SetTransparent(bool Value) {
  if (Value == FTransparent) return;
  FTransparent = Value;
  if (FPicture->Graphic()) FPicture->Graphic()->SetTransparent(Value);
  Invalidate();
}

void TImage::SetProportional(bool Value) {
  if (Value == FProportional) return;
  FProportional = Value;
  Invalidate();
}

void TImage::SetAutoSize(bool Value) {
  TGraphicControl::SetAutoSize(Value);
  FAutoSize = Value;
  if (Value) PictureChanged(this);
}

RECT TImage::DestRect() {
  int pw = FPicture->Width(), ph = FPicture->Height();
  int cw = ClientWidth(), ch = ClientHeight();
  if (FStretch || (FProportional && (pw > cw || ph > ch))) {
    if (FProportional && pw > 0 && ph > 0) {
      if (cw * ph > ch * pw) {
        int w = ch * pw / ph;
        pw = w;
        ph = ch;
      } else {
        int h = cw * ph / pw;
        ph = h;
        pw = cw;
      }
    } else {
      pw = cw;
      ph = ch;
    }
  }
  RECT r{0, 0, pw, ph};
  if (FCenter) OffsetRect(&r, (cw - pw) / 2, (ch - ph) / 2);
  return r;
}

void TImage::Paint() {
  if (ComponentState().Contains(csDesigning)) {
    Canvas()->Pen()->SetStyle(psDash);
    Canvas()->Brush()->SetStyle(bsClear);
    Canvas()->Rectangle(0, 0, Width(), Height());
  }
  if (TGraphic* g = FPicture->Graphic()) Canvas()->StretchDraw(DestRect(), g);
}

void TImage::Publish(TPublisher<TImage>& p) {
  p.Bool("AutoSize", &TImage::AutoSize, &TImage::SetAutoSize).Default(0);
  p.Bool("Center", &TImage::Center, &TImage::SetCenter).Default(0);
  p.Object("Picture", &TImage::Picture);
  p.Bool("Proportional", &TImage::Proportional, &TImage::SetProportional).Default(0);
  p.Bool("Stretch", &TImage::Stretch, &TImage::SetStretch).Default(0);
  p.Bool("Transparent", &TImage::Transparent, &TImage::SetTransparent).Default(0);
}

// ---------------------------------------------------------------------------------------------------
// Notebook

TPage::TPage(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle.Include(csAcceptsControls);
  FVisible = false;
  FAlign = alClient;
}

TPage::~TPage() {
  if (FNotebook) FNotebook->RemovePage(this);
}

void TPage::SetParentComponent(TComponent* Value) {
  if (auto* nb = dynamic_cast<TNotebook*>(Value)) {
    if (FNotebook) FNotebook->RemovePage(this);
    SetParent(nb);
    nb->InsertPage(this);
  } else {
    TCustomControl::SetParentComponent(Value);
  }
}

TComponent* TPage::GetParentComponent() { return FNotebook; }

void TPage::Paint() {
  Canvas()->Brush()->SetColor(Color());
  Canvas()->Brush()->SetStyle(bsSolid);
  Canvas()->FillRect(ClientRect());
}

TNotebook::TNotebook(TComponent* AOwner) : TCustomControl(AOwner) {
  FControlStyle = {csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  SetBounds(0, 0, 150, 150);
}

TNotebook::~TNotebook() {
  for (auto* p : FPages) p->FNotebook = nullptr;
}

void TNotebook::InsertPage(TPage* Page) {
  if (std::find(FPages.begin(), FPages.end(), Page) != FPages.end()) return;
  FPages.push_back(Page);
  Page->FNotebook = this;
  ShowActive();
}

void TNotebook::RemovePage(TPage* Page) {
  auto it = std::find(FPages.begin(), FPages.end(), Page);
  if (it == FPages.end()) return;
  FPages.erase(it);
  Page->FNotebook = nullptr;
  if (FPageIndex >= int(FPages.size())) FPageIndex = std::max(0, int(FPages.size()) - 1);
  if (!ComponentState().Contains(csDestroying)) ShowActive();
}

void TNotebook::ShowActive() {
  if (ComponentState().Contains(csLoading)) return;
  for (int i = 0; i < int(FPages.size()); ++i)
    if (i != FPageIndex) FPages[size_t(i)]->SetVisible(false);
  if (FPageIndex >= 0 && FPageIndex < int(FPages.size())) {
    FPages[size_t(FPageIndex)]->SetVisible(true);
    FPages[size_t(FPageIndex)]->BringToFront();
  }
}

void TNotebook::SetPageIndex(int Value) {
  if (Value < 0 || Value >= int(FPages.size()) || Value == FPageIndex) {
    if (Value == FPageIndex) ShowActive();
    return;
  }
  TPage* hidden = FPageIndex >= 0 && FPageIndex < int(FPages.size()) ? FPages[size_t(FPageIndex)] : nullptr;
  FPageIndex = Value;
  ShowActive();
  FocusShownPage(hidden, FPages[size_t(Value)]);
  if (!ComponentState().Contains(csLoading)) OnPageChanged(this);
}

std::string TNotebook::ActivePage() const {
  return FPageIndex >= 0 && FPageIndex < int(FPages.size()) ? FPages[size_t(FPageIndex)]->Caption() : std::string();
}

void TNotebook::SetActivePage(const std::string& Value) {
  for (int i = 0; i < int(FPages.size()); ++i)
    if (FPages[size_t(i)]->Caption() == Value) {
      SetPageIndex(i);
      return;
    }
}

void TNotebook::AlignControls(TControl* AControl, RECT& Rect) {
  for (auto* p : FPages) p->SetBounds(Rect.left, Rect.top, Rect.right - Rect.left, Rect.bottom - Rect.top);
  TCustomControl::AlignControls(AControl, Rect);
}

void TNotebook::GetChildren(TGetChildProc Proc, TComponent* Root) {
  for (auto* p : FPages) Proc(p);
}

void TNotebook::Loaded() {
  TCustomControl::Loaded();
  if (FPageIndex >= int(FPages.size())) FPageIndex = 0;
  ShowActive();
}

void TNotebook::Publish(TPublisher<TNotebook>& p) {
  p.Str("ActivePage", &TNotebook::ActivePage, &TNotebook::SetActivePage);
  p.Int("PageIndex", &TNotebook::PageIndex, [](TNotebook& n, int v) {
    if (n.ComponentState().Contains(csLoading))
      n.FPageIndex = v;
    else
      n.SetPageIndex(v);
  }).Default(0);
  p.Event("OnPageChanged", &TNotebook::OnPageChanged);
}

void RegisterExtCtrlsPanelsClasses() {
  RegisterClasses({TPanel::StaticClass(), TBevel::StaticClass(), TImage::StaticClass(), TNotebook::StaticClass(),
                   TPage::StaticClass()});
}
