// A form holding the panel kit and the labels together, for looking at: shown for YOZ_SHOWCASE_MS
// milliseconds (take a screenshot meanwhile); skipped in the normal test run. It still checks that
// every piece was created from one form resource.
#include <gtest/gtest.h>

#include <cstdlib>

#include "KitsTestSupport.h"
#include "OvcURL.h"
#include "RzSplit.h"
#include "StdCtrls.h"
#include "dxfLabel.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TFormsEnvironment({RzSplitInitialize, dxfLabelInitialize,
                                                                                   OvcURLInitialize, [] {
  RegisterClasses({TListBox::StaticClass(), TMemo::StaticClass()});
}}));

const char* const ShowcaseForm = R"(object frmShowcase: TForm
  Left = 40
  Top = 40
  Width = 640
  Height = 420
  Caption = 'Panel kit'
  Color = clBtnFace
  object RzSplitterMain: TRzSplitter
    Left = 8
    Top = 8
    Width = 300
    Height = 396
    Orientation = orVertical
    Position = 250
    Percent = 63
    UsePercent = True
    SplitterStyle = ssGroove
    HotSpotVisible = True
    BorderOuter = fsLowered
    UpperLeftControls = (lbMessages)
    LowerRightControls = (memText)
    object lbMessages: TListBox
      Align = alClient
      Items.Strings = ('Lunch at noon' 'Meeting moved' 'Back at 3')
    end
    object memText: TMemo
      Align = alClient
      Lines.Strings = ('The meeting moved to room 4.')
    end
  end
  object RotatedLabel: TdxfLabel
    Left = 320
    Top = 8
    Width = 300
    Height = 180
    Caption = 'yOZ Comments'
    Font.Color = clBlue
    Font.Height = -27
    Font.Name = 'Comic Sans MS'
    Font.Style = [fsBold]
    Transparent = True
    Angle = 30
    Effect3D.Style = dxfCool
    Effect3D.Orientation = dxfRightBottom
    Effect3D.Depth = 5
    Effect3D.ShadowedColor = clGray
    PenWidth = 1
  end
  object OvcURLMain: TOvcURL
    Left = 330
    Top = 200
    Caption = 'www.example.org'
    URL = 'http://www.example.org'
    Font.Color = clBlue
  end
end
)";

TEST(KitShowcase, PanelSplitterAndLabelsOnOneForm) {
  Owned<TForm> f(new TForm(nullptr));
  ReadComponentFromText(ShowcaseForm, f.get());
  ASSERT_NE(f->FindComponent("RzSplitterMain"), nullptr);
  ASSERT_NE(f->FindComponent("RotatedLabel"), nullptr);
  ASSERT_NE(f->FindComponent("OvcURLMain"), nullptr);
  // Panels with each frame style in a row, captioned with the style's name.
  for (int s = 1; s <= int(fsPopup); ++s) {
    auto* p = new TRzCustomPanel(f.get());
    p->SetParent(f.get());
    p->SetBounds(320 + ((s - 1) % 3) * 100, 240 + ((s - 1) / 3) * 44, 92, 38);
    p->SetBorderOuter(TFrameStyle(s));
    p->SetCaption(FrameStyleNames.Names[s]);
  }
  const char* ms = std::getenv("YOZ_SHOWCASE_MS");
  if (!ms) GTEST_SKIP() << "set YOZ_SHOWCASE_MS to look at the form";
  f->Show();
  // Leaves the form on the screen for the time asked, to look at it.
  Pump(std::atoi(ms));
}

}  // namespace
