// Drag and drop: the format list and its enumerator, the two media, the drop source, the tree's data
// object and drop target. Each COM object is made with one reference (its maker's) and frees itself
// when the last is released.
#include <cstring>

#include "UPTShellControls.h"

namespace {

template <class I>
HRESULT AnswerFor(I* Self, REFIID riid, REFIID Own, void** ppv) {
  if (riid == IID_IUnknown || riid == Own) {
    *ppv = Self;
    Self->AddRef();
    return S_OK;
  }
  *ppv = nullptr;
  return E_NOINTERFACE;
}

ULONG AddRefOf(LONG& Refs) { return ULONG(InterlockedIncrement(&Refs)); }

// Frees Self with its last reference.
template <class T>
ULONG ReleaseOf(T* Self, LONG& Refs) {
  LONG n = InterlockedDecrement(&Refs);
  if (n == 0) delete Self;
  return ULONG(n);
}

class TPTFormatEtcList_IEnumFormatEtc : public IEnumFORMATETC {
public:
  TPTFormatEtcList_IEnumFormatEtc(TPTFormatEtcList* List, IUnknown* Owner, int Position)
      : FList(List), FOwner(Owner), FPosition(Position) {
    if (FOwner) FOwner->AddRef();
  }
  virtual ~TPTFormatEtcList_IEnumFormatEtc() {
    if (FOwner) FOwner->Release();
  }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    return AnswerFor(this, riid, IID_IEnumFORMATETC, ppv);
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return AddRefOf(FRefs); }
  ULONG STDMETHODCALLTYPE Release() override { return ReleaseOf(this, FRefs); }
  HRESULT STDMETHODCALLTYPE Next(ULONG Count, FORMATETC* Out, ULONG* Fetched) override {
    ULONG n = 0;
    // Copies of their own: the receiver frees each target device, and the list keeps its records.
    while (n < Count && FPosition < FList->Count()) Out[n++] = CopyFormatEtc(FList->Items(FPosition++));
    if (Fetched) *Fetched = n;
    return n == Count ? S_OK : S_FALSE;
  }
  HRESULT STDMETHODCALLTYPE Skip(ULONG Count) override {
    if (FPosition + int64_t(Count) > FList->Count()) {
      FPosition = FList->Count();
      return S_FALSE;
    }
    FPosition += int(Count);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Reset() override {
    FPosition = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Clone(IEnumFORMATETC** Enum) override {
    if (!Enum) return E_POINTER;
    *Enum = new TPTFormatEtcList_IEnumFormatEtc(FList, FOwner, FPosition);
    return S_OK;
  }

private:
  LONG FRefs = 1;
  TPTFormatEtcList* FList;
  IUnknown* FOwner;
  int FPosition;
};

HGLOBAL CopyGlobal(HGLOBAL Source) {
  SIZE_T size = GlobalSize(Source);
  HGLOBAL copy = GlobalAlloc(GMEM_MOVEABLE, size);
  if (!copy) return nullptr;
  void* from = GlobalLock(Source);
  void* to = GlobalLock(copy);
  if (from && to) std::memcpy(to, from, size);
  if (to) GlobalUnlock(copy);
  if (from) GlobalUnlock(Source);
  if (!from || !to) {
    GlobalFree(copy);
    return nullptr;
  }
  return copy;
}

}  // namespace

FORMATETC CopyFormatEtc(const FORMATETC& Format) {
  FORMATETC f = Format;
  if (Format.ptd) {
    f.ptd = static_cast<DVTARGETDEVICE*>(CoTaskMemAlloc(Format.ptd->tdSize));
    if (f.ptd) std::memcpy(f.ptd, Format.ptd, Format.ptd->tdSize);
  }
  return f;
}

TPTFormatEtcList::TPTFormatEtcList(std::initializer_list<CLIPFORMAT> Formats) {
  for (CLIPFORMAT f : Formats) Add(f);
}

void TPTFormatEtcList::Add(const FORMATETC& Format) { FList.push_back(CopyFormatEtc(Format)); }

void TPTFormatEtcList::Add(CLIPFORMAT Format) { FList.push_back(FORMATETC{Format, nullptr, DVASPECT_CONTENT, -1, TYMED_HGLOBAL}); }

void TPTFormatEtcList::Clear() {
  for (FORMATETC& f : FList)
    if (f.ptd) CoTaskMemFree(f.ptd);
  FList.clear();
}

IEnumFORMATETC* TPTFormatEtcList::CreateEnumerator(IUnknown* Owner) {
  return new TPTFormatEtcList_IEnumFormatEtc(this, Owner, 0);
}

HRESULT TPTFormatEtcList::QueryFormat(const FORMATETC& Format) const {
  if (Format.dwAspect != DVASPECT_CONTENT) return DV_E_FORMATETC;
  bool sameFormat = false;
  for (const FORMATETC& f : FList) {
    if (f.cfFormat != Format.cfFormat) continue;
    if (f.tymed & Format.tymed) return S_OK;
    sameFormat = true;
  }
  return sameFormat ? DV_E_TYMED : DV_E_FORMATETC;
}

// ---------------------------------------------------------------------------------------------------

namespace {

// A movable zeroed block of Size bytes, written by Fill; E_OUTOFMEMORY (Global nil) when there is none.
template <class F>
HRESULT BuildMedium(size_t Size, HGLOBAL& Global, F Fill) {
  Global = nullptr;
  HGLOBAL h = GlobalAlloc(GHND, Size);
  if (!h) return E_OUTOFMEMORY;
  auto* block = static_cast<BYTE*>(GlobalLock(h));
  if (!block) {
    GlobalFree(h);
    return E_OUTOFMEMORY;
  }
  Fill(block);
  GlobalUnlock(h);
  Global = h;
  return S_OK;
}

}  // namespace

HRESULT BuildHDropMedium(const std::vector<std::string>& Paths, HGLOBAL& Global) {
  // Each path with its terminator, then the closing 0: a fixed room per path would overrun long ones.
  size_t size = sizeof(DROPFILES) + 1;
  for (const std::string& p : Paths) size += p.size() + 1;
  return BuildMedium(size, Global, [&](BYTE* Block) {
    auto* df = reinterpret_cast<DROPFILES*>(Block);
    df->pFiles = sizeof(DROPFILES);
    df->fWide = FALSE;
    BYTE* at = Block + sizeof(DROPFILES);
    for (const std::string& p : Paths) {
      std::memcpy(at, p.c_str(), p.size() + 1);
      at += p.size() + 1;
    }
    *at = 0;
  });
}

HRESULT BuildIDListMedium(PCIDLIST_ABSOLUTE Parent, const std::vector<PCUITEMID_CHILD>& Children, HGLOBAL& Global) {
  static const USHORT Empty = 0;
  PCIDLIST_ABSOLUTE parent = Parent ? Parent : reinterpret_cast<PCIDLIST_ABSOLUTE>(&Empty);
  UINT count = UINT(Children.size());
  size_t header = sizeof(UINT) * (count + 2);
  size_t size = header + PidlGetSize(parent);
  for (PCUITEMID_CHILD c : Children) size += PidlGetSize(c);
  return BuildMedium(size, Global, [&](BYTE* Block) {
    reinterpret_cast<CIDA*>(Block)->cidl = count;
    size_t at = header;
    auto put = [&](UINT Index, PCIDLIST_ABSOLUTE P) {
      UINT offset = UINT(at);
      std::memcpy(Block + sizeof(UINT) * (1 + Index), &offset, sizeof offset);
      UINT n = PidlGetSize(P);
      std::memcpy(Block + at, P, n);
      at += n;
    };
    put(0, parent);
    for (UINT i = 0; i < count; ++i) put(i + 1, Children[i]);
  });
}

// ---------------------------------------------------------------------------------------------------

HRESULT TDropSource_shlvtv::QueryInterface(REFIID riid, void** ppv) { return AnswerFor(this, riid, IID_IDropSource, ppv); }
ULONG TDropSource_shlvtv::AddRef() { return AddRefOf(FRefs); }
ULONG TDropSource_shlvtv::Release() { return ReleaseOf(this, FRefs); }

HRESULT TDropSource_shlvtv::QueryContinueDrag(BOOL EscapePressed, DWORD KeyState) {
  if (EscapePressed) return DRAGDROP_S_CANCEL;
  DWORD buttons = KeyState & (MK_LBUTTON | MK_RBUTTON | MK_MBUTTON);
  if (buttons & ~FButton) return DRAGDROP_S_CANCEL;
  if (buttons & FButton) return S_OK;
  return DRAGDROP_S_DROP;
}

HRESULT TDropSource_shlvtv::GiveFeedback(DWORD) { return DRAGDROP_S_USEDEFAULTCURSORS; }

HRESULT DragShellItems(IDataObject* Object, bool Right, DWORD Allowed) {
  auto* source = new TDropSource_shlvtv(Right ? MK_RBUTTON : MK_LBUTTON);
  DWORD effect = 0;
  HRESULT result = DoDragDrop(Object, source, Allowed, &effect);
  source->Release();
  Object->Release();
  return result;
}

// ---------------------------------------------------------------------------------------------------

TDataObject_shtv::TDataObject_shtv(TPTShTreeData* Node, bool CanDrag) {
  if (!Node || !CanDrag) return;
  PCIDLIST_ABSOLUTE parent = Node->Parent() ? Node->Parent()->AbsolutePidl() : nullptr;
  std::string path;
  GetDisplayName(Node->ParentFolder(), Node->RelativePidl(), ptdnForParsing, path);
  Build(parent, {Node->RelativePidl()}, {path});
}

void TPTShellDataObject::Build(PCIDLIST_ABSOLUTE Parent, const std::vector<PCUITEMID_CHILD>& Children,
                               const std::vector<std::string>& Paths) {
  // Only what was built is offered: an object must not promise data it cannot give.
  if (SUCCEEDED(BuildIDListMedium(Parent, Children, FIDList))) FFormats.Add(CLIPFORMAT(PTShellIDListFormat()));
  bool paths = !Paths.empty();
  for (const std::string& p : Paths) paths = paths && !p.empty();
  if (paths && SUCCEEDED(BuildHDropMedium(Paths, FHDrop))) FFormats.Add(CLIPFORMAT(CF_HDROP));
}

TPTShellDataObject::~TPTShellDataObject() {
  if (FHDrop) GlobalFree(FHDrop);
  if (FIDList) GlobalFree(FIDList);
}

HRESULT TPTShellDataObject::QueryInterface(REFIID riid, void** ppv) { return AnswerFor(this, riid, IID_IDataObject, ppv); }
ULONG TPTShellDataObject::AddRef() { return AddRefOf(FRefs); }
ULONG TPTShellDataObject::Release() { return ReleaseOf(this, FRefs); }

HRESULT TPTShellDataObject::GetData(FORMATETC* Format, STGMEDIUM* Medium) {
  if (!Format || !Medium) return E_INVALIDARG;
  HRESULT hr = FFormats.QueryFormat(*Format);
  if (FAILED(hr)) return hr;
  HGLOBAL source = Format->cfFormat == CF_HDROP ? FHDrop
                   : Format->cfFormat == PTShellIDListFormat() ? FIDList
                                                               : nullptr;
  if (!source) return DV_E_FORMATETC;
  // The receiver releases what it gets; our own block stays until we go.
  HGLOBAL copy = CopyGlobal(source);
  if (!copy) return E_OUTOFMEMORY;
  Medium->tymed = TYMED_HGLOBAL;
  Medium->hGlobal = copy;
  Medium->pUnkForRelease = nullptr;
  return S_OK;
}

HRESULT TPTShellDataObject::QueryGetData(FORMATETC* Format) { return Format ? FFormats.QueryFormat(*Format) : E_INVALIDARG; }

HRESULT TPTShellDataObject::GetCanonicalFormatEtc(FORMATETC*, FORMATETC* Out) {
  if (Out) Out->ptd = nullptr;
  return E_NOTIMPL;
}

HRESULT TPTShellDataObject::EnumFormatEtc(DWORD Direction, IEnumFORMATETC** Enum) {
  if (!Enum) return E_POINTER;
  if (Direction != DATADIR_GET) {
    *Enum = nullptr;
    return E_NOTIMPL;
  }
  *Enum = FFormats.CreateEnumerator(this);
  return S_OK;
}

// ---------------------------------------------------------------------------------------------------

HRESULT TDropTarget_shtv::QueryInterface(REFIID riid, void** ppv) { return AnswerFor(this, riid, IID_IDropTarget, ppv); }
ULONG TDropTarget_shtv::AddRef() { return AddRefOf(FRefs); }
ULONG TDropTarget_shtv::Release() { return ReleaseOf(this, FRefs); }
