#include "OvcURL.h"

#include <shellapi.h>

TOvcShellExecute OvcShellExecute = ShellExecuteA;

TOvcURL::TOvcURL(TComponent* AOwner) : TCustomLabel(AOwner) {
  FHighlightColor = clRed;
  FCursor = crHandPoint;
}

TOvcURL::~TOvcURL() {
  TObject::Free(FHoverTimer);
  FHoverTimer = nullptr;
}

void TOvcURL::ShowText() { SetText(FCaption.empty() ? FURL : FCaption); }

void TOvcURL::SetCaption(const std::string& Value) {
  FCaption = Value;
  ShowText();
}

void TOvcURL::SetURL(const std::string& Value) {
  FURL = Value;
  if (FCaption.empty()) ShowText();
}

// While the label is hot the resting colour is the one to come back to: it is kept. Otherwise it is
// taken afresh from the font at the next hover.
void TOvcURL::SetHighlightColor(TColor Value) {
  FHighlightColor = Value == clNone ? Font()->Color() : Value;
  if (!Hot()) FRestingColor = NotCaptured;
}

void TOvcURL::SetVisitedColor(TColor Value) {
  FVisitedColor = Value == clNone ? Font()->Color() : Value;
  if (!Hot()) FRestingColor = NotCaptured;
}

void TOvcURL::Loaded() {
  TCustomLabel::Loaded();
  Font()->SetStyle(Font()->Style() + TFontStyles{fsUnderline});
  FRestingColor = NotCaptured;
}

void TOvcURL::Click() {
  if (!FURL.empty()) {
    // A longer address would reach the shell cut short, which opens some other place.
    bool opened = false;
    if (FURL.size() <= OvcMaxURL) {
      HINSTANCE r = OvcShellExecute(nullptr, "open", FURL.c_str(), "", "", SW_SHOWNORMAL);
      opened = reinterpret_cast<INT_PTR>(r) > 32;
    }
    if (!opened) MessageBeep(0);
  }
  TLiveGuard alive(this);
  TCustomLabel::Click();
  if (!alive) return;
  if (FUseVisitedColor) FRestingColor = FVisitedColor;
}

void TOvcURL::MouseMove(TShiftState Shift, int X, int Y) {
  TLiveGuard alive(this);
  TCustomLabel::MouseMove(Shift, X, Y);
  if (!alive) return;
  RECT r = ClientRect();
  if (!PtInRect(&r, POINT{X, Y}) || FHoverTimer) return;
  if (FRestingColor == NotCaptured) FRestingColor = Font()->Color();
  Font()->SetColor(FHighlightColor);
  FHoverTimer = new TTimer(this);
  FHoverTimer->SetInterval(100);
  FHoverTimer->SetOnTimer(Bind(this, &TOvcURL::HoverTimer));
  FHoverTimer->SetEnabled(true);
}

void TOvcURL::HoverTimer(TObject*) {
  POINT p;
  GetCursorPos(&p);
  p = ScreenToClient(p);
  RECT r = ClientRect();
  if (PtInRect(&r, p)) return;
  TObject::Free(FHoverTimer);
  FHoverTimer = nullptr;
  if (FRestingColor != NotCaptured) Font()->SetColor(FRestingColor);
  Repaint();
}

void TOvcURL::Publish(TPublisher<TOvcURL>& p) {
  p.Str("About", &TOvcURL::About, &TOvcURL::SetAbout).Stored(false);
  p.Str("Caption", &TOvcURL::Caption, &TOvcURL::SetCaption);
  p.Int("HighlightColor", &TOvcURL::HighlightColor, &TOvcURL::SetHighlightColor).Idents(ColorIdentMap());
  p.Str("URL", &TOvcURL::URL, &TOvcURL::SetURL);
  p.Bool("UseVisitedColor", &TOvcURL::UseVisitedColor, &TOvcURL::SetUseVisitedColor);
  p.Int("VisitedColor", &TOvcURL::VisitedColor, &TOvcURL::SetVisitedColor).Idents(ColorIdentMap());
  static const TIdentMap cursors = [] {
    TIdentMap m;
    std::string name;
    for (int c = crDefault; c >= crSizeAll; --c)
      if (CursorToIdent(c, name)) m.emplace_back(name, c);
    return m;
  }();
  p.Int("Cursor", &TOvcURL::Cursor, &TOvcURL::SetCursor).Default(crHandPoint).Idents(cursors);
}

void OvcURLInitialize() { RegisterClass(TOvcURL::StaticClass()); }
