// The dialog service a host may offer through its site's IServiceProvider, so
// that file dialogs and message boxes are shown by the host instead of us.
#pragma once

#include "platform/com/unknown.h"

// {22D2ACEF-F601-4C18-BA30-A490BA6D9805}, used both as the service id and the IID.
inline constexpr IID IID_IVarnHostUI{
    0x22D2ACEF, 0xF601, 0x4C18, {0xBA, 0x30, 0xA4, 0x90, 0xBA, 0x6D, 0x98, 0x05}};
inline constexpr GUID SID_IVarnHostUI = IID_IVarnHostUI;

constexpr int32_t kHostFileDialogOpen = 0;
constexpr int32_t kHostFileDialogSave = 1;

constexpr uint32_t OFN_OVERWRITEPROMPT = 0x2;
constexpr uint32_t OFN_HIDEREADONLY = 0x4;
constexpr uint32_t OFN_ENABLEHOOK = 0x20;
constexpr uint32_t OFN_EXPLORER = 0x80000;
constexpr uint32_t OFN_ENABLESIZING = 0x800000;

// NOLINTBEGIN(cppcoreguidelines-virtual-class-destructor)
struct IVarnHostUI : IUnknown {
  static constexpr const IID& kIid = IID_IVarnHostUI;
  using Base = IUnknown;
  // kind: kHostFileDialogOpen or kHostFileDialogSave. filter: description and
  // pattern strings each followed by a 0 character and one more 0 at the end
  // (the BSTR's length counts them all), null for none; initialName and
  // defaultExt null for none. S_OK with *path set (the caller frees it), or
  // S_FALSE when cancelled. The host owns the strings passed in.
  virtual HRESULT ShowFileDialog(int32_t kind, BSTR filter, BSTR initialName, BSTR defaultExt,
                                 uint32_t flags, BSTR* path) = 0;
  // type: MB_* bits; *result receives the button id (IDOK 1).
  virtual HRESULT ShowMessageBox(BSTR text, BSTR caption, uint32_t type, int32_t* result) = 0;
};
// NOLINTEND(cppcoreguidelines-virtual-class-destructor)
