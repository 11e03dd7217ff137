// The shell locator of form resources and the folder-details adapter.
#include <cstring>
#include <vector>

#include "Forms.h"
#include "UPTShellControls.h"

TPTShellLocator::~TPTShellLocator() { FreePidl(); }

void TPTShellLocator::FreePidl() {
  ShellFree(FPidl);
  FPidl = nullptr;
}

void TPTShellLocator::DoChange() {
  if (OnChange) OnChange(this);
}

PCIDLIST_ABSOLUTE TPTShellLocator::Pidl() {
  if (FKind == lkSpecialFolder && !FPidl) {
    HWND owner = Application ? Application->Handle() : nullptr;
    GetSpecialFolderPidl(owner, FSpecialFolder, FPidl);
  }
  return FPidl;
}

void TPTShellLocator::SetPidl(PCIDLIST_ABSOLUTE P) {
  bool changed;
  if (FKind == lkSpecialFolder) {
    changed = true;
  } else if (FPidl) {
    int c = PidlCompare(FPidl, P);
    changed = c != 0 && c != PidlCompareFailed;
  } else {
    changed = P != nullptr;
  }
  if (!changed) return;
  FKind = lkPidl;
  FreePidl();
  if (PidlGetSize(P) > 2) FPidl = PidlCopy(nullptr, P);
  DoChange();
}

void TPTShellLocator::SetSpecialFolder(uint8_t CSIDL) {
  if (FKind == lkSpecialFolder && FSpecialFolder == CSIDL) return;
  FreePidl();
  FKind = lkSpecialFolder;
  FSpecialFolder = CSIDL;
  DoChange();
}

bool TPTShellLocator::Equal(TPTShellLocator* A, TPTShellLocator* B) {
  if (A == B) return true;
  if (!A || !B || A->FKind != B->FKind) return false;
  if (A->FKind == lkPidl) return PidlCompare(A->FPidl, B->FPidl) == 0;
  return A->FSpecialFolder == B->FSpecialFolder;
}

void TPTShellLocator::Assign(TPersistent* Source) {
  if (!Source) {
    // A special folder counts as a location even before its PIDL was looked up.
    if (FPidl || FKind == lkSpecialFolder) {
      FKind = lkPidl;
      FreePidl();
      DoChange();
    }
    return;
  }
  if (auto* src = dynamic_cast<TPTShellLocator*>(Source)) {
    if (Equal(this, src)) return;
    FreePidl();
    FKind = src->FKind;
    if (FKind == lkSpecialFolder) FSpecialFolder = src->FSpecialFolder;
    else FPidl = src->FPidl ? PidlCopy(nullptr, src->FPidl) : nullptr;
    DoChange();
    return;
  }
  TPersistent::Assign(Source);
}

void TPTShellLocator::DefineProperties(TFiler* Filer) {
  Filer->DefineBinaryProperty(
      "Pidl", [this](TStream* s) { ReadData(s); }, [this](TStream* s) { WriteData(s); },
      FPidl != nullptr || FKind == lkSpecialFolder);
}

void TPTShellLocator::ReadData(TStream* Stream) {
  uint8_t kind = 0;
  Stream->ReadBuffer(&kind, 1);
  if (kind != 0) {
    uint8_t csidl = 0;
    Stream->ReadBuffer(&csidl, 1);
    FreePidl();
    FKind = lkSpecialFolder;
    FSpecialFolder = csidl;
    return;
  }
  int32_t size = 0;
  Stream->ReadBuffer(&size, 4);
  if (size == 0) {
    FreePidl();
    FKind = lkSpecialFolder;
    FSpecialFolder = CSIDL_DESKTOP;
    return;
  }
  // The size is checked against the data before anything is allocated, and the items must end
  // exactly at the terminator the size promises.
  int64_t left = Stream->Size() - Stream->Position();
  if (size < 2 || size > left) throw EReadError("Damaged shell location: PIDL size out of range");
  std::vector<BYTE> bytes(static_cast<size_t>(size));
  Stream->ReadBuffer(bytes.data(), size);
  size_t pos = 0;
  for (;;) {
    USHORT cb;
    std::memcpy(&cb, bytes.data() + pos, 2);
    if (cb == 0) {
      if (pos + 2 != size_t(size)) throw EReadError("Damaged shell location: PIDL ends early");
      break;
    }
    if (cb <= 2 || pos + cb + 2 > size_t(size)) throw EReadError("Damaged shell location: item runs past the PIDL");
    pos += cb;
  }
  auto* p = static_cast<BYTE*>(ShellAlloc(size_t(size)));
  if (!p) throw EOutOfMemory("Out of memory");
  std::memcpy(p, bytes.data(), size_t(size));
  FreePidl();
  FKind = lkPidl;
  FPidl = reinterpret_cast<LPITEMIDLIST>(p);
}

void TPTShellLocator::WriteData(TStream* Stream) {
  uint8_t kind = FKind;
  Stream->WriteBuffer(&kind, 1);
  if (FKind == lkSpecialFolder) {
    Stream->WriteBuffer(&FSpecialFolder, 1);
    return;
  }
  int32_t size = int32_t(PidlGetSize(FPidl));
  Stream->WriteBuffer(&size, 4);
  if (size) Stream->WriteBuffer(FPidl, size);
}

// ---------------------------------------------------------------------------------------------------

namespace {

// Lets a folder that only has IShellFolder2 answer as IShellDetails.
class TShellFolder2ToShellDetailsAdapter : public IShellDetails {
public:
  explicit TShellFolder2ToShellDetailsAdapter(IShellFolder2* Folder) : FFolder(Folder) { FFolder->AddRef(); }
  virtual ~TShellFolder2ToShellDetailsAdapter() { FFolder->Release(); }
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** ppv) override {
    if (riid == IID_IUnknown || riid == IID_IShellDetails) {
      *ppv = static_cast<IShellDetails*>(this);
      AddRef();
      return S_OK;
    }
    *ppv = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ULONG(InterlockedIncrement(&FRefs)); }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG n = InterlockedDecrement(&FRefs);
    if (n == 0) delete this;
    return ULONG(n);
  }
  HRESULT STDMETHODCALLTYPE GetDetailsOf(PCUITEMID_CHILD Item, UINT Column, SHELLDETAILS* Details) override {
    SHCOLSTATEF state = 0;
    // Only the columns the folder shows by default are listed.
    if (SUCCEEDED(FFolder->GetDefaultColumnState(Column, &state)) && !(state & SHCOLSTATE_ONBYDEFAULT))
      return E_INVALIDARG;
    return FFolder->GetDetailsOf(Item, Column, Details);
  }
  HRESULT STDMETHODCALLTYPE ColumnClick(UINT) override { return E_NOTIMPL; }

private:
  LONG FRefs = 1;
  IShellFolder2* FFolder;
};

}  // namespace

IShellDetails* GetShellDetails(IShellFolder* Folder) {
  if (!Folder) return nullptr;
  IShellFolder2* folder2 = nullptr;
  if (SUCCEEDED(Folder->QueryInterface(IID_IShellFolder2, reinterpret_cast<void**>(&folder2))) && folder2) {
    SHELLDETAILS sd{};
    IShellDetails* adapter = nullptr;
    if (SUCCEEDED(folder2->GetDetailsOf(nullptr, 0, &sd))) {
      FreeStrRet(sd.str);
      adapter = new TShellFolder2ToShellDetailsAdapter(folder2);
    }
    folder2->Release();
    if (adapter) return adapter;
  }
  IShellDetails* details = nullptr;
  if (FAILED(Folder->CreateViewObject(nullptr, IID_IShellDetails, reinterpret_cast<void**>(&details)))) return nullptr;
  return details;
}
