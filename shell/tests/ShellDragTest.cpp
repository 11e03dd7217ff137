// Data transfer pieces: the media read back for names longer than 259 characters, the format list
// and its enumerator, the drop source's rules, a tree node's data object on the test's own file,
// the drop target handing calls to the tree, and hand-made malformed drops refused whole.
#include <gtest/gtest.h>

#include <windows.h>
#include <shellapi.h>

#include <cstring>
#include <string>
#include <vector>

#include "ShellTestSupport.h"
#include "UPTShellControls.h"
#include "UPTShellShared.h"

namespace {

const auto* const Env = ::testing::AddGlobalTestEnvironment(new TShellEnvironment);

std::vector<std::string> DroppedNames(HGLOBAL H) {
  std::vector<std::string> names;
  HDROP drop = HDROP(H);
  UINT n = DragQueryFileA(drop, 0xFFFFFFFF, nullptr, 0);
  for (UINT i = 0; i < n; ++i) {
    UINT len = DragQueryFileA(drop, i, nullptr, 0);
    std::string s(len + 1, '\0');
    DragQueryFileA(drop, i, s.data(), len + 1);
    s.resize(len);
    names.push_back(s);
  }
  return names;
}

// The parent and children of a "Shell IDList Array" block, each as its bytes.
std::vector<std::string> IDListParts(HGLOBAL H) {
  std::vector<std::string> parts;
  auto* block = static_cast<const BYTE*>(GlobalLock(H));
  const CIDA* cida = reinterpret_cast<const CIDA*>(block);
  for (UINT i = 0; i <= cida->cidl; ++i) {
    auto p = reinterpret_cast<PCIDLIST_ABSOLUTE>(block + cida->aoffset[i]);
    parts.emplace_back(reinterpret_cast<const char*>(p), PidlGetSize(p));
  }
  GlobalUnlock(H);
  return parts;
}

std::string Bytes(PCIDLIST_ABSOLUTE P) { return std::string(reinterpret_cast<const char*>(P), PidlGetSize(P)); }

TEST(MediaTest, LongNamesReadBackWhole) {
  std::vector<std::string> paths = {"C:\\short.txt", "C:\\" + std::string(300, 'a') + ".txt",
                                    "C:\\" + std::string(260, 'b') + "\\" + std::string(250, 'c'), "C:\\x"};
  HGLOBAL h = nullptr;
  ASSERT_EQ(BuildHDropMedium(paths, h), S_OK);
  size_t needed = sizeof(DROPFILES) + 1;
  for (auto& p : paths) needed += p.size() + 1;
  EXPECT_GE(GlobalSize(h), needed);
  auto* df = static_cast<DROPFILES*>(GlobalLock(h));
  EXPECT_EQ(df->pFiles, sizeof(DROPFILES));
  EXPECT_FALSE(df->fWide);
  const char* last = reinterpret_cast<const char*>(df) + needed - 2;
  EXPECT_EQ(last[0], 0);   // the last path's terminator, then the list's
  EXPECT_EQ(last[1], 0);
  GlobalUnlock(h);
  EXPECT_EQ(DroppedNames(h), paths);
  GlobalFree(h);

  // Item ids with long names: a parent, two real children and one of 600 bytes.
  TTestTree tree("media");
  std::string longName(200, 'n');
  tree.File("one.txt");
  tree.Folder(longName);
  PidlPtr root = ToPidl(tree.Root());
  IShellFolder* folder = nullptr;
  ASSERT_HRESULT_SUCCEEDED(GetShellFolder(root.get(), folder));
  std::vector<PidlPtr> kids;
  for (std::wstring n : {std::wstring(L"one.txt"), std::wstring(longName.begin(), longName.end())}) {
    LPITEMIDLIST c = nullptr;
    ULONG eaten = 0;
    ASSERT_HRESULT_SUCCEEDED(folder->ParseDisplayName(nullptr, nullptr, n.data(), &eaten, &c, nullptr));
    kids.emplace_back(c);
  }
  std::vector<BYTE> big(602, 0x5A);
  big[0] = 0x58;   // 600 = 0x258
  big[1] = 0x02;
  big[600] = big[601] = 0;
  std::vector<PCUITEMID_CHILD> children = {kids[0].get(), kids[1].get(), reinterpret_cast<PCUITEMID_CHILD>(big.data())};
  ASSERT_EQ(BuildIDListMedium(root.get(), children, h), S_OK);
  std::vector<std::string> parts = IDListParts(h);
  ASSERT_EQ(parts.size(), 4u);
  EXPECT_EQ(parts[0], Bytes(root.get()));
  for (size_t i = 0; i < children.size(); ++i) EXPECT_EQ(parts[i + 1], Bytes(children[i])) << i;
  GlobalFree(h);
  ASSERT_EQ(BuildIDListMedium(nullptr, {}, h), S_OK);
  parts = IDListParts(h);
  ASSERT_EQ(parts.size(), 1u);
  EXPECT_EQ(parts[0].size(), 2u);   // no parent: an empty PIDL
  GlobalFree(h);
  folder->Release();
}

TEST(FormatListTest, QueriesAndEnumeration) {
  TPTFormatEtcList list{CLIPFORMAT(PTShellIDListFormat()), CLIPFORMAT(CF_HDROP)};
  struct Case {
    CLIPFORMAT Format;
    DWORD Aspect, Tymed;
    HRESULT Want;
  };
  for (Case c : {Case{CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL, S_OK}, Case{CF_HDROP, DVASPECT_CONTENT, TYMED_HGLOBAL | TYMED_ISTREAM, S_OK},
                 Case{CF_HDROP, DVASPECT_CONTENT, TYMED_ISTREAM, DV_E_TYMED}, Case{CF_TEXT, DVASPECT_CONTENT, TYMED_HGLOBAL, DV_E_FORMATETC},
                 Case{CF_HDROP, DVASPECT_ICON, TYMED_HGLOBAL, DV_E_FORMATETC}}) {
    FORMATETC fe{c.Format, nullptr, c.Aspect, -1, c.Tymed};
    EXPECT_EQ(list.QueryFormat(fe), c.Want) << c.Format << " " << c.Aspect << " " << c.Tymed;
  }

  // A record with a target device: every enumerated record brings its own copy.
  DVTARGETDEVICE td{};
  td.tdSize = sizeof td;
  list.Add(FORMATETC{CF_TEXT, &td, DVASPECT_CONTENT, -1, TYMED_HGLOBAL});
  IEnumFORMATETC* e = list.CreateEnumerator(nullptr);
  FORMATETC got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(e->Skip(1), S_OK);
  EXPECT_EQ(e->Next(3, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 2u);
  EXPECT_EQ(got[0].cfFormat, CF_HDROP);
  ASSERT_TRUE(got[1].ptd);
  EXPECT_NE(got[1].ptd, &td);
  EXPECT_NE(got[1].ptd, list.Items(2).ptd);
  CoTaskMemFree(got[1].ptd);   // the caller's own
  EXPECT_EQ(list.Items(2).ptd->tdSize, sizeof td);
  EXPECT_EQ(e->Skip(1), S_FALSE);
  EXPECT_EQ(e->Reset(), S_OK);
  EXPECT_EQ(e->Skip(2), S_OK);
  IEnumFORMATETC* clone = nullptr;
  ASSERT_EQ(e->Clone(&clone), S_OK);
  EXPECT_EQ(clone->Next(1, got, nullptr), S_OK);   // at the same place
  EXPECT_EQ(got[0].cfFormat, CF_TEXT);
  CoTaskMemFree(got[0].ptd);
  IUnknown* unk = nullptr;
  EXPECT_EQ(e->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unk)), S_OK);
  unk->Release();
  EXPECT_EQ(clone->Release(), 0u);
  EXPECT_EQ(e->Release(), 0u);
}

TEST(DropSourceTest, TheDragButtonDecides) {
  struct Case {
    DWORD Button;
    BOOL Escape;
    DWORD Keys;
    HRESULT Want;
  };
  for (Case c : {Case{MK_LBUTTON, TRUE, MK_LBUTTON, DRAGDROP_S_CANCEL}, Case{MK_LBUTTON, FALSE, MK_LBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
                 Case{MK_LBUTTON, FALSE, MK_LBUTTON | MK_CONTROL, S_OK}, Case{MK_LBUTTON, FALSE, MK_SHIFT, DRAGDROP_S_DROP},
                 Case{MK_RBUTTON, FALSE, MK_RBUTTON, S_OK}, Case{MK_RBUTTON, FALSE, MK_MBUTTON | MK_RBUTTON, DRAGDROP_S_CANCEL},
                 Case{MK_MBUTTON, FALSE, 0, DRAGDROP_S_DROP}}) {
    auto* s = new TDropSource_shlvtv(c.Button);
    EXPECT_EQ(s->QueryContinueDrag(c.Escape, c.Keys), c.Want) << c.Button << " " << c.Keys;
    EXPECT_EQ(s->GiveFeedback(DROPEFFECT_COPY), DRAGDROP_S_USEDEFAULTCURSORS);
    EXPECT_EQ(s->Release(), 0u);
  }
}

TEST(DataObjectTest, TreeNodeOffersItsItemTwice) {
  TTestTree tree("dataobj");
  std::string file = tree.File("dragme.txt");
  PidlPtr rootPidl = ToPidl(tree.Root());
  TPTShTreeData root, node;
  root.Init(nullptr, ShellMalloc(), rootPidl.get());
  LPITEMIDLIST rel = nullptr;
  ULONG eaten = 0;
  ASSERT_HRESULT_SUCCEEDED(root.Folder()->ParseDisplayName(nullptr, nullptr, const_cast<wchar_t*>(L"dragme.txt"), &eaten, &rel, nullptr));
  node.Init(&root, ShellMalloc(), rel);
  ShellFree(rel);

  auto* data = new TDataObject_shtv(&node, true);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  FORMATETC got[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(e->Next(3, got, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(got[0].cfFormat, PTShellIDListFormat());
  EXPECT_EQ(got[1].cfFormat, CF_HDROP);
  e->Release();
  EXPECT_EQ(data->EnumFormatEtc(DATADIR_SET, &e), E_NOTIMPL);
  EXPECT_EQ(e, nullptr);
  FORMATETC text{CF_TEXT, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  EXPECT_EQ(data->QueryGetData(&text), DV_E_FORMATETC);
  FORMATETC stream{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_ISTREAM};
  EXPECT_EQ(data->QueryGetData(&stream), DV_E_TYMED);

  FORMATETC hdrop{CF_HDROP, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  STGMEDIUM m1{}, m2{};
  ASSERT_EQ(data->GetData(&hdrop, &m1), S_OK);
  ASSERT_EQ(data->GetData(&hdrop, &m2), S_OK);
  EXPECT_NE(m1.hGlobal, m2.hGlobal);   // a new block each time
  EXPECT_EQ(m1.pUnkForRelease, nullptr);
  EXPECT_EQ(DroppedNames(m1.hGlobal), std::vector<std::string>{file});
  ReleaseStgMedium(&m1);
  ReleaseStgMedium(&m2);
  FORMATETC ids{CLIPFORMAT(PTShellIDListFormat()), nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL};
  ASSERT_EQ(data->GetData(&ids, &m1), S_OK);
  std::vector<std::string> parts = IDListParts(m1.hGlobal);
  ASSERT_EQ(parts.size(), 2u);
  EXPECT_EQ(parts[0], Bytes(root.AbsolutePidl()));
  EXPECT_EQ(parts[1], Bytes(node.RelativePidl()));
  ReleaseStgMedium(&m1);

  // The effects its item allows, as its folder tells them.
  SFGAOF attrs = SFGAO_CANCOPY | SFGAO_CANMOVE | SFGAO_CANLINK;
  PCUITEMID_CHILD item = node.RelativePidl();
  root.Folder()->GetAttributesOf(1, &item, &attrs);
  EXPECT_EQ(AllowedEffects(data), attrs & (DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
  EXPECT_NE(AllowedEffects(data), 0u);
  EXPECT_EQ(data->DAdvise(nullptr, 0, nullptr, nullptr), OLE_E_ADVISENOTSUPPORTED);
  EXPECT_EQ(data->Release(), 0u);

  // A node that cannot be dragged promises nothing.
  auto* none = new TDataObject_shtv(&node, false);
  EXPECT_EQ(none->QueryGetData(&hdrop), DV_E_FORMATETC);
  EXPECT_EQ(none->GetData(&hdrop, &m1), DV_E_FORMATETC);
  ASSERT_EQ(none->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  EXPECT_EQ(e->Next(1, got, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 0u);
  e->Release();
  EXPECT_EQ(AllowedEffects(none), DWORD(DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK));
  EXPECT_EQ(none->Release(), 0u);
}

TEST(DataObjectTest, EnumeratorKeepsItsObjectAlive) {
  TTestTree tree("keep");
  PidlPtr rootPidl = ToPidl(tree.Folder("k"));
  TPTShTreeData root;
  root.Init(nullptr, ShellMalloc(), rootPidl.get());
  auto* data = new TDataObject_shtv(&root, true);
  IEnumFORMATETC* e = nullptr;
  ASSERT_EQ(data->EnumFormatEtc(DATADIR_GET, &e), S_OK);
  EXPECT_EQ(data->Release(), 1u);   // the enumerator still holds it
  FORMATETC got{};
  EXPECT_EQ(e->Next(1, &got, nullptr), S_OK);
  EXPECT_EQ(e->Release(), 0u);
}

struct TFakeTree : TPTDropHandler {
  std::vector<std::string> Calls;
  HRESULT DoDragEnter(IDataObject*, DWORD Keys, POINTL Pt, DWORD* Effect) override {
    Calls.push_back("enter " + std::to_string(Keys) + " " + std::to_string(Pt.x));
    *Effect = DROPEFFECT_COPY;
    return S_OK;
  }
  HRESULT DoDragOver(DWORD, POINTL Pt, DWORD* Effect) override {
    Calls.push_back("over " + std::to_string(Pt.y));
    *Effect = DROPEFFECT_NONE;
    return S_OK;
  }
  HRESULT DoDragLeave() override {
    Calls.push_back("leave");
    return S_OK;
  }
  HRESULT DoDrop(IDataObject*, DWORD, POINTL, DWORD*) override {
    Calls.push_back("drop");
    return E_FAIL;
  }
};

TEST(DropTargetTest, CallsReachTheTreeUnchanged) {
  TFakeTree tree;
  auto* target = new TDropTarget_shtv(&tree);
  DWORD effect = DROPEFFECT_MOVE;
  EXPECT_EQ(target->DragEnter(nullptr, MK_LBUTTON, POINTL{5, 6}, &effect), S_OK);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_COPY));
  target->DragOver(0, POINTL{1, 9}, &effect);
  EXPECT_EQ(effect, DWORD(DROPEFFECT_NONE));
  target->DragLeave();
  EXPECT_EQ(target->Drop(nullptr, 0, POINTL{}, &effect), E_FAIL);
  EXPECT_EQ(tree.Calls, (std::vector<std::string>{"enter 1 5", "over 9", "leave", "drop"}));
  IDropSource* wrong = nullptr;
  EXPECT_EQ(target->QueryInterface(IID_IDropSource, reinterpret_cast<void**>(&wrong)), E_NOINTERFACE);
  EXPECT_EQ(target->Release(), 0u);
}

// A data object of another program: it serves one "Shell IDList Array" block, made by hand.
struct THandMadeData : IDataObject {
  std::string Block;
  ULONG Refs = 1;
  explicit THandMadeData(std::string B) : Block(std::move(B)) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** Out) override {
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++Refs; }
  ULONG STDMETHODCALLTYPE Release() override { return --Refs; }
  HRESULT STDMETHODCALLTYPE GetData(FORMATETC* Fe, STGMEDIUM* M) override {
    if (Fe->cfFormat != PTShellIDListFormat()) return DV_E_FORMATETC;
    HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, Block.size());
    std::memcpy(GlobalLock(h), Block.data(), Block.size());
    GlobalUnlock(h);
    M->tymed = TYMED_HGLOBAL;
    M->hGlobal = h;
    M->pUnkForRelease = nullptr;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetDataHere(FORMATETC*, STGMEDIUM*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE QueryGetData(FORMATETC*) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetCanonicalFormatEtc(FORMATETC*, FORMATETC*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetData(FORMATETC*, STGMEDIUM*, BOOL) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumFormatEtc(DWORD, IEnumFORMATETC**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DAdvise(FORMATETC*, DWORD, IAdviseSink*, DWORD*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE DUnadvise(DWORD) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE EnumDAdvise(IEnumSTATDATA**) override { return E_NOTIMPL; }
};

// A drop target that only counts what reaches it.
struct TCountingTarget : IDropTarget {
  int Calls = 0;
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** Out) override {
    *Out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE DragEnter(IDataObject*, DWORD, POINTL, DWORD* E) override { return ++Calls, *E = DROPEFFECT_COPY, S_OK; }
  HRESULT STDMETHODCALLTYPE DragOver(DWORD, POINTL, DWORD* E) override { return ++Calls, *E = DROPEFFECT_COPY, S_OK; }
  HRESULT STDMETHODCALLTYPE DragLeave() override { return ++Calls, S_OK; }
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* E) override { return ++Calls, *E = DROPEFFECT_COPY, S_OK; }
};

std::string U32(UINT V) { return std::string(reinterpret_cast<const char*>(&V), 4); }
std::string U16(USHORT V) { return std::string(reinterpret_cast<const char*>(&V), 2); }

TEST(DropTest, MalformedIDListArraysAreRefusedWhole) {
  TTestTree tree("hostile");
  tree.File("x.txt");
  PidlPtr parent = ToPidl(tree.Root());
  PidlPtr file = ToPidl(tree.Path("x.txt"));
  std::string parentBytes = Bytes(parent.get());
  std::string child = Bytes(ILFindLastID(file.get()));
  auto block = [&](UINT Count, UINT ChildOffset, const std::string& Tail) {
    return U32(Count) + U32(12) + U32(ChildOffset) + Tail;
  };
  const UINT childAt = UINT(12 + parentBytes.size());

  THandMadeData good(block(1, childAt, parentBytes + child));
  DWORD allowed = AllowedEffects(&good);
  EXPECT_NE(allowed, 0u);
  std::string unterminated = child.substr(0, child.size() - 2);
  for (const std::string& bad : {
           block(0xFFFFFFFE, childAt, parentBytes + child),          // a count that wraps 32-bit sums
           block(0x3FFFFFFF, childAt, parentBytes + child),          // a count past the block
           block(1, 0xFFFFFFF0, parentBytes + child),                // an offset past the end
           block(1, childAt, parentBytes + unterminated),            // a list that never ends
           block(1, childAt, parentBytes + U16(1) + U16(0)),         // an item that cannot advance
           block(1, childAt, parentBytes + U16(0xFFF0) + U16(0)),    // an item longer than the block
           U32(1) + U32(8),                                          // offsets cut off
           std::string("\x01\x00", 2)}) {
    THandMadeData data(bad);
    EXPECT_EQ(AllowedEffects(&data), DWORD(DROPEFFECT_NONE)) << bad.size();
    // Nothing of it reaches the item's target.
    TPTDropSite site;
    TCountingTarget target;
    site.Enter(&data, MK_LBUTTON);
    EXPECT_EQ(site.Probe(&target, &data, MK_LBUTTON, POINTL{}, DROPEFFECT_COPY, true), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(site.Drop(&target, &data, 0, POINTL{}, DROPEFFECT_COPY), DWORD(DROPEFFECT_NONE));
    EXPECT_EQ(target.Calls, 0);
    site.Leave();
    EXPECT_EQ(data.Refs, 1u);
  }
  // A well-formed block still drops.
  TPTDropSite site;
  TCountingTarget target;
  site.Enter(&good, MK_LBUTTON);
  EXPECT_EQ(site.Drop(&target, &good, 0, POINTL{}, DROPEFFECT_COPY), DWORD(DROPEFFECT_COPY) & allowed);
  EXPECT_EQ(target.Calls, 3);
}

// A drop hands back only the effect the item's target says it performed: none when the target fails,
// none when it leaves every allowed effect standing (Wine's folders take a drop that way and copy
// nothing), so a source that honours "move" by deleting its originals never deletes what stayed.
struct TAnsweringTarget : TCountingTarget {
  HRESULT Result = S_OK;
  DWORD Performed = DWORD(-1);   // -1: the effect is left as it came
  HRESULT STDMETHODCALLTYPE Drop(IDataObject*, DWORD, POINTL, DWORD* E) override {
    if (Performed != DWORD(-1)) *E = Performed;
    return Result;
  }
};

TEST(DropTest, OnlyThePerformedEffectIsHandedBack) {
  TTestTree tree("dropped");
  tree.File("x.txt");
  PidlPtr parent = ToPidl(tree.Root());
  PidlPtr file = ToPidl(tree.Path("x.txt"));
  std::string parentBytes = Bytes(parent.get());
  THandMadeData data(U32(1) + U32(12) + U32(UINT(12 + parentBytes.size())) + parentBytes + Bytes(ILFindLastID(file.get())));
  const DWORD all = DROPEFFECT_COPY | DROPEFFECT_MOVE | DROPEFFECT_LINK;
  ASSERT_EQ(AllowedEffects(&data) & all, all);
  struct Case {
    HRESULT Result;
    DWORD Performed, Want;
  };
  for (Case c : {Case{S_OK, DWORD(-1), DROPEFFECT_NONE}, Case{S_OK, DROPEFFECT_MOVE, DROPEFFECT_MOVE},
                 Case{S_OK, DROPEFFECT_COPY, DROPEFFECT_COPY}, Case{E_FAIL, DROPEFFECT_MOVE, DROPEFFECT_NONE},
                 Case{S_OK, DROPEFFECT_NONE, DROPEFFECT_NONE}}) {
    TPTDropSite site;
    TAnsweringTarget target;
    target.Result = c.Result;
    target.Performed = c.Performed;
    site.Enter(&data, MK_LBUTTON);
    EXPECT_EQ(site.Drop(&target, &data, 0, POINTL{}, all), c.Want) << c.Result << " " << c.Performed;
    site.Leave();
  }
}

}  // namespace
