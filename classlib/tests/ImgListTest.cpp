#include <gtest/gtest.h>

#include "ImgList.h"

#include "TestSupport.h"

namespace {

std::unique_ptr<TBitmap> Surface(int w, int h, TColor color) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(pf24bit);
  b->SetSize(w, h);
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect({0, 0, w, h});
  return b;
}

void Fill(TBitmap* b, const RECT& r, TColor color) {
  b->Canvas()->Brush()->SetColor(color);
  b->Canvas()->FillRect(r);
}

// 8 x 8: fuchsia frame (the transparent colour) around a navy 4 x 4 square.
std::unique_ptr<TBitmap> Framed() {
  auto b = Surface(8, 8, clFuchsia);
  Fill(b.get(), {2, 2, 6, 6}, clNavy);
  return b;
}

// A 16 x 16 icon: left half transparent, right half red.
HICON MakeIcon() {
  auto color = Surface(16, 16, clBlack);
  Fill(color.get(), {8, 0, 16, 16}, clRed);
  auto mask = Surface(16, 16, clBlack);
  Fill(mask.get(), {0, 0, 8, 16}, clWhite);
  mask->SetMonochrome(true);
  ICONINFO ii{TRUE, 0, 0, mask->Handle(), color->Handle()};
  return CreateIconIndirect(&ii);
}

struct Counter {
  int N = 0;
  TObject* Last = nullptr;
  void Hit(TObject* sender) {
    ++N;
    Last = sender;
  }
};

}  // namespace

TEST(ImageList, StripsAddOneImagePerWidth) {
  TImageList il(nullptr);
  il.SetWidth(8);
  il.SetHeight(8);
  EXPECT_EQ(il.Count(), 0);
  auto strip = Surface(24, 8, clRed);
  Fill(strip.get(), {8, 0, 16, 8}, clLime);
  Fill(strip.get(), {16, 0, 24, 8}, clBlue);
  EXPECT_EQ(il.Add(strip.get(), nullptr), 0);
  EXPECT_EQ(il.Count(), 3);

  auto dst = Surface(30, 10, clWhite);
  il.Draw(dst->Canvas(), 0, 0, 0);
  il.Draw(dst->Canvas(), 10, 0, 1);
  il.Draw(dst->Canvas(), 20, 0, 2);
  il.Draw(dst->Canvas(), 0, 0, 7);  // no such image: nothing
  EXPECT_EQ(dst->Canvas()->Pixels(4, 4), clRed);
  EXPECT_EQ(dst->Canvas()->Pixels(14, 4), clLime);
  EXPECT_EQ(dst->Canvas()->Pixels(24, 4), clBlue);
  EXPECT_EQ(dst->Canvas()->Pixels(9, 4), clWhite);
  EXPECT_EQ(il.Add(nullptr, nullptr), -1);
}

TEST(ImageList, MaskedImagesShowTheBackground) {
  TImageList il(nullptr);
  il.SetWidth(8);
  il.SetHeight(8);
  auto b = Framed();
  EXPECT_EQ(il.AddMasked(b.get(), clFuchsia), 0);
  // The caller's bitmap keeps its transparent colour.
  EXPECT_EQ(b->Canvas()->Pixels(0, 0), clFuchsia);

  // An explicit mask: white marks the transparent pixels.
  auto img = Surface(8, 8, clTeal);
  auto mask = Surface(8, 8, clBlack);
  Fill(mask.get(), {0, 0, 4, 8}, clWhite);
  mask->SetMonochrome(true);
  EXPECT_EQ(il.Add(img.get(), mask.get()), 1);
  // clDefault: the bitmap's own transparent colour, its bottom-left pixel.
  EXPECT_EQ(il.AddMasked(b.get(), clDefault), 2);

  auto dst = Surface(30, 10, clGreen);
  il.Draw(dst->Canvas(), 0, 0, 0);
  il.Draw(dst->Canvas(), 10, 0, 1);
  il.Draw(dst->Canvas(), 20, 0, 2);
  TCanvas* c = dst->Canvas();
  EXPECT_EQ(c->Pixels(0, 0), clGreen);
  EXPECT_EQ(c->Pixels(3, 3), clNavy);
  EXPECT_EQ(c->Pixels(11, 4), clGreen);
  EXPECT_EQ(c->Pixels(16, 4), clTeal);
  EXPECT_EQ(c->Pixels(20, 7), clGreen);
  EXPECT_EQ(c->Pixels(24, 4), clNavy);

  // GetBitmap puts the image on white.
  TBitmap out;
  il.GetBitmap(0, &out);
  EXPECT_EQ(out.Width(), 8);
  EXPECT_EQ(out.Canvas()->Pixels(0, 0), clWhite);
  EXPECT_EQ(out.Canvas()->Pixels(3, 3), clNavy);

  // A background colour fills the transparent pixels.
  il.SetBkColor(clYellow);
  il.Draw(c, 0, 0, 0);
  EXPECT_EQ(c->Pixels(0, 0), clYellow);
  EXPECT_EQ(c->Pixels(3, 3), clNavy);
}

TEST(ImageList, IconsGoInAndComeOut) {
  TImageList il(nullptr);
  TIcon icon;
  icon.SetHandle(MakeIcon());
  EXPECT_EQ(il.AddIcon(&icon), 0);
  EXPECT_EQ(il.AddIcon(nullptr), -1);
  TIcon back;
  il.GetIcon(0, &back);
  ASSERT_TRUE(back.HandleAllocated());
  EXPECT_EQ(back.Width(), 16);
  auto dst = Surface(40, 20, clGreen);
  dst->Canvas()->Draw(0, 0, &back);
  il.Draw(dst->Canvas(), 20, 0, 0);
  for (int x : {0, 20}) {
    EXPECT_EQ(dst->Canvas()->Pixels(x + 3, 8), clGreen) << x;
    EXPECT_EQ(dst->Canvas()->Pixels(x + 12, 8), clRed) << x;
  }
  il.GetIcon(5, &back);
  EXPECT_FALSE(back.HandleAllocated());
}

TEST(ImageList, DeleteClearAndResize) {
  TImageList il(nullptr);
  il.SetWidth(4);
  il.SetHeight(4);
  auto strip = Surface(12, 4, clRed);
  Fill(strip.get(), {4, 0, 8, 4}, clBlue);
  il.Add(strip.get(), nullptr);
  EXPECT_THROW(il.Delete(3), EInvalidOperation);
  EXPECT_THROW(il.Delete(-1), EInvalidOperation);
  il.Delete(0);
  EXPECT_EQ(il.Count(), 2);
  auto dst = Surface(4, 4, clWhite);
  il.Draw(dst->Canvas(), 0, 0, 0);
  EXPECT_EQ(dst->Canvas()->Pixels(1, 1), clBlue);  // the others moved up
  il.Clear();
  EXPECT_EQ(il.Count(), 0);
  il.Add(strip.get(), nullptr);
  il.SetWidth(6);  // a new size empties the list
  EXPECT_EQ(il.Count(), 0);
  int cx = 0, cy = 0;
  ImageList_GetIconSize(il.Handle(), &cx, &cy);
  EXPECT_EQ(cx, 6);
  EXPECT_EQ(cy, 4);
}

TEST(ImageList, DisabledImagesAreEmbossed) {
  TImageList il(nullptr);
  il.SetWidth(8);
  il.SetHeight(8);
  auto black = Surface(8, 8, clBlack);
  il.Add(black.get(), nullptr);
  auto dst = Surface(20, 20, clGreen);
  il.Draw(dst->Canvas(), 0, 0, 0, false);
  TCanvas* c = dst->Canvas();
  EXPECT_EQ(COLORREF(c->Pixels(0, 0)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(COLORREF(c->Pixels(7, 7)), ColorToRGB(clBtnShadow));
  EXPECT_EQ(COLORREF(c->Pixels(8, 8)), ColorToRGB(clBtnHighlight));
  EXPECT_EQ(c->Pixels(9, 9), clGreen);
  EXPECT_EQ(c->Pixels(8, 0), clGreen);
}

TEST(ImageList, ChangeLinksHearOfChanges) {
  auto* il = new TImageList(nullptr);
  Counter list, linked;
  il->OnChange = Bind(&list, &Counter::Hit);
  auto* link = new TChangeLink;
  link->OnChange = Bind(&linked, &Counter::Hit);
  il->RegisterChanges(link);
  EXPECT_EQ(link->Sender(), il);
  auto b = Framed();
  il->AddMasked(b.get(), clFuchsia);
  EXPECT_EQ(linked.N, 1);
  EXPECT_EQ(linked.Last, il);
  EXPECT_EQ(list.N, 1);

  il->BeginUpdate();
  il->AddMasked(b.get(), clFuchsia);
  il->SetBkColor(clRed);
  EXPECT_EQ(linked.N, 1);
  il->EndUpdate();
  EXPECT_EQ(linked.N, 2);  // once for the lot
  il->BeginUpdate();
  il->EndUpdate();
  EXPECT_EQ(linked.N, 2);  // nothing changed

  // A freed link is forgotten; a freed list leaves its links without a sender.
  delete link;
  il->Clear();
  EXPECT_EQ(list.N, 3);
  auto* other = new TChangeLink;
  il->RegisterChanges(other);
  delete il;
  EXPECT_EQ(other->Sender(), nullptr);
  delete other;
}

namespace {

// Holds a list the way toolbars and tray icons do: a change link and a free notification.
class TListUser : public TComponent {
  YOZ_CLASS(TListUser, TComponent)
public:
  explicit TListUser(TComponent* AOwner) : TComponent(AOwner) {
    FLink.OnChange = Bind(this, &TListUser::ImagesChanged);
  }
  ~TListUser() override { SetImages(nullptr); }
  void SetImages(TCustomImageList* value) {
    if (FImages) FImages->UnRegisterChanges(&FLink);
    FImages = value;
    if (FImages) {
      FImages->RegisterChanges(&FLink);
      FImages->FreeNotification(this);
    }
  }
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent == FImages) SetImages(nullptr);
  }
  void ImagesChanged(TObject*) { ++Changes; }
  TCustomImageList* FImages = nullptr;
  TChangeLink FLink;
  int Changes = 0;
};

}  // namespace

TEST(ImageList, UsersLetGoWhenTheListIsFreed) {
  TComponent owner(nullptr);
  auto* il = new TImageList(&owner);
  auto* user = new TListUser(&owner);
  user->SetImages(il);
  il->Clear();
  EXPECT_EQ(user->Changes, 1);
  delete il;  // the user unregisters while the list is going
  EXPECT_EQ(user->FImages, nullptr);
  EXPECT_EQ(user->FLink.Sender(), nullptr);

  // Freed together by their owner, in either order.
  auto* il2 = new TImageList(&owner);
  user->SetImages(il2);
  auto* user2 = new TListUser(&owner);
  user2->SetImages(il2);
}

TEST(ImageList, SharedHandlesOutliveTheObject) {
  TImageList owner(nullptr);
  auto strip = Surface(32, 16, clRed);
  owner.Add(strip.get(), nullptr);
  HIMAGELIST h = owner.Handle();
  {
    TImageList user(nullptr);
    user.SetShareImages(true);
    user.SetHandle(h);
    EXPECT_EQ(user.Width(), 16);
    EXPECT_EQ(user.Count(), 2);
  }
  EXPECT_EQ(ImageList_GetImageCount(h), 2);

  // Assign copies: the copy goes its own way.
  TImageList copy(nullptr);
  copy.Assign(&owner);
  EXPECT_NE(copy.Handle(), h);
  EXPECT_EQ(copy.Count(), 2);
  copy.Delete(0);
  EXPECT_EQ(owner.Count(), 2);

  // Changing Masked rebuilds the list with its images.
  owner.SetMasked(false);
  EXPECT_EQ(owner.Count(), 2);
  auto dst = Surface(16, 16, clWhite);
  owner.Draw(dst->Canvas(), 0, 0, 1);
  EXPECT_EQ(dst->Canvas()->Pixels(8, 8), clRed);
}

TEST(ImageList, ImageDataRoundTrip) {
  TImageList il(nullptr);
  il.SetWidth(16);
  il.SetHeight(16);
  auto b = Surface(16, 16, clFuchsia);
  Fill(b.get(), {4, 4, 12, 12}, clNavy);
  il.AddMasked(b.get(), clFuchsia);
  TIcon icon;
  icon.SetHandle(MakeIcon());
  il.AddIcon(&icon);
  auto black = Surface(16, 16, clBlack);  // opaque black must stay opaque
  il.Add(black.get(), nullptr);

  TStringStream s;
  il.WriteData(&s);
  s.SetPosition(0);
  TImageList back(nullptr);
  back.ReadData(&s);
  EXPECT_EQ(back.Width(), 16);
  EXPECT_EQ(back.Height(), 16);
  ASSERT_EQ(back.Count(), 3);
  auto dst = Surface(60, 20, clGreen);
  for (int i = 0; i < 3; ++i) back.Draw(dst->Canvas(), i * 20, 0, i);
  TCanvas* c = dst->Canvas();
  EXPECT_EQ(c->Pixels(1, 1), clGreen);
  EXPECT_EQ(c->Pixels(8, 8), clNavy);
  EXPECT_EQ(c->Pixels(23, 8), clGreen);
  EXPECT_EQ(c->Pixels(32, 8), clRed);
  EXPECT_EQ(c->Pixels(41, 1), clBlack);

  // An empty list writes its size only.
  TImageList empty(nullptr);
  TStringStream e;
  empty.WriteData(&e);
  EXPECT_EQ(e.Size(), 12);
  e.SetPosition(0);
  back.ReadData(&e);
  EXPECT_EQ(back.Count(), 0);
}

TEST(ImageList, OtherBitmapsAreReadOpaque) {
  // A 24-bit strip of two 2 x 2 images.
  auto strip = Surface(4, 2, clRed);
  Fill(strip.get(), {2, 0, 4, 2}, clBlue);
  TStringStream s;
  int32_t header[3] = {2, 2, 2};
  s.WriteBuffer(header, sizeof header);
  strip->SaveToStream(&s);
  s.SetPosition(0);
  TImageList il(nullptr);
  il.ReadData(&s);
  ASSERT_EQ(il.Count(), 2);
  auto dst = Surface(4, 4, clGreen);
  il.Draw(dst->Canvas(), 0, 0, 1);
  EXPECT_EQ(dst->Canvas()->Pixels(0, 0), clBlue);
  EXPECT_EQ(dst->Canvas()->Pixels(1, 1), clBlue);
}

TEST(ImageList, DamagedDataRaisesAndKeepsTheImages) {
  TImageList il(nullptr);
  il.SetWidth(8);
  il.SetHeight(8);
  auto b = Framed();
  il.AddMasked(b.get(), clFuchsia);
  TStringStream good;
  il.WriteData(&good);
  std::string data = good.DataString();

  auto damaged = [&](const std::string& bytes) {
    TStringStream s(bytes);
    EXPECT_THROW(il.ReadData(&s), EReadError);
    EXPECT_EQ(il.Count(), 1);
    EXPECT_EQ(il.Width(), 8);
  };
  std::string bad = data;
  reinterpret_cast<int32_t&>(bad[0]) = -8;
  damaged(bad);
  bad = data;
  reinterpret_cast<int32_t&>(bad[8]) = 2;  // two images claimed, one stored
  damaged(bad);
  bad = data;
  reinterpret_cast<int32_t&>(bad[8]) = 1 << 30;
  damaged(bad);
  damaged(data.substr(0, data.size() - 5));
  damaged(data.substr(0, 7));
  bad = data;
  bad[12] = 'X';  // not a bitmap
  damaged(bad);
}

TEST(ImageList, FormResourcesHoldTheImages) {
  TImageList source(nullptr);
  source.SetWidth(8);
  source.SetHeight(8);
  auto b = Framed();
  source.AddMasked(b.get(), clFuchsia);
  TStringStream data;
  source.WriteData(&data);

  TImageList il(nullptr);
  ReadComponentFromText("object imgSmallPics: TImageList\n"
                        "  BkColor = clBtnFace\n"
                        "  Height = 8\n"
                        "  Width = 8\n"
                        "  DrawingStyle = dsTransparent\n"
                        "  Bitmap = {" + Hex(data.DataString()) + "}\n"
                        "end\n",
                        &il);
  EXPECT_EQ(il.Name(), "imgSmallPics");
  EXPECT_EQ(il.BkColor(), clBtnFace);
  EXPECT_EQ(il.DrawingStyle(), dsTransparent);
  ASSERT_EQ(il.Count(), 1);
  auto dst = Surface(8, 8, clGreen);
  il.Draw(dst->Canvas(), 0, 0, 0);  // transparent style: the background colour is not painted
  EXPECT_EQ(dst->Canvas()->Pixels(0, 0), clGreen);
  EXPECT_EQ(dst->Canvas()->Pixels(4, 4), clNavy);
}
