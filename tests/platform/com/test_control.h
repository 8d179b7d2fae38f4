// A stand-in for a control: a small scripting interface declared as one
// table, an event interface, class information and object safety, plus a
// recording event sink. Shared by the automation core's tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <new>
#include <span>
#include <string>
#include <vector>

#include "platform/com/class_info_impl.h"
#include "platform/com/com_object.h"
#include "platform/com/event_source.h"
#include "platform/com/object_safety_impl.h"
#include "platform/com/persist.h"
#include "platform/com/support_error_info_impl.h"
#include "platform/com/table_dispatch.h"
#include "platform/com/unsupported_interfaces.h"

namespace varn::com::testing {

// {6F1A2C3D-0000-4000-8000-00000000A001}
inline constexpr IID IID_ITestControl{
    0x6F1A2C3D, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x01}};
// {6F1A2C3D-0000-4000-8000-00000000A002}
inline constexpr IID DIID_ITestControlEvents{
    0x6F1A2C3D, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x02}};

// {6F1A2C3D-0000-4000-8000-00000000A003}
inline constexpr CLSID CLSID_TestControl{
    0x6F1A2C3D, 0x0000, 0x4000, {0x80, 0x00, 0x00, 0x00, 0x00, 0x00, 0xA0, 0x03}};

enum TestDispid : DISPID {
  kCount = 1,
  kName = 2,
  kEnabled = 3,
  kOptional = 4,
  kAdd = 5,
  kDescribe = 6,
  kCheck = 7,
  kFireChanged = 8,
  kExhaust = 9,
  kFireTwice = 10,
};
constexpr DISPID kOnChanged = 1;
constexpr DISPID kOnCleared = 2;

class CTestControl
    : public ComObject<TableDispatch<CTestControl, IID_ITestControl>, IPersistStreamInit,
                       EventSource<DIID_ITestControlEvents>,
                       ProvideClassInfo<CTestControl, DIID_ITestControlEvents>, ObjectSafety,
                       SupportErrorInfo<IID_ITestControl>, NoPropertyPages> {
 public:
  static constexpr TypeNames kTypeNames{u"TestControl", u"ITestControl", u"_ITestControlEvents"};
  static constexpr const CLSID& kClassId = CLSID_TestControl;
  static std::span<const DispatchMember<CTestControl>> DispatchMembers();
  static std::span<const MemberInfo> EventMembers() {
    static constexpr MemberInfo kEvents[] = {
        EventMember<VT_I4, VT_BOOL, VT_BSTR>(u"OnChanged", kOnChanged,
                                             {u"nCount", u"bEnabled", u"bstrName"}),
        EventMember<>(u"OnCleared", kOnCleared),
    };
    return kEvents;
  }

  HRESULT get_count(int32_t* value) {
    *value = count_;
    return S_OK;
  }
  HRESULT put_count(int32_t value) {
    count_ = value;
    return S_OK;
  }
  // Null until set; a put of null stores null.
  HRESULT get_name(BSTR* value) {
    Bstr copy = Bstr::Copy(name_.Get());
    if (copy.IsNull() && !name_.IsNull()) return E_OUTOFMEMORY;
    *value = copy.Detach();
    return S_OK;
  }
  HRESULT put_name(BSTR value) {
    name_ = Bstr::Copy(value);
    return S_OK;
  }
  HRESULT get_enabled(VARIANT_BOOL* value) const {
    *value = enabled_ ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  HRESULT put_enabled(VARIANT_BOOL value) {
    enabled_ = value != VARIANT_FALSE;
    return S_OK;
  }
  // S_FALSE, with nothing to report, while count is negative.
  HRESULT get_optional(BSTR* value) {
    if (count_ < 0) {
      *value = SysAllocString(u"not handed out");
      return S_FALSE;
    }
    *value = SysAllocString(u"present");
    return S_OK;
  }
  HRESULT Add(int32_t a, int32_t b, int32_t* sum) {
    *sum = a + b;
    return S_OK;
  }
  HRESULT Describe(BSTR* text, VARIANT_BOOL* hasName) {
    *text = AllocBstr(u"count " + std::u16string(1, static_cast<char16_t>(u'0' + count_ % 10)));
    *hasName = name_.IsNull() ? VARIANT_FALSE : VARIANT_TRUE;
    return S_OK;
  }
  HRESULT Check(int32_t value) {
    if (value < 0) return E_INVALIDARG;
    return value == 0 ? S_FALSE : S_OK;
  }
  HRESULT FireChanged() { return Fire(kOnChanged, count_, enabled_, name_.Get()); }
  HRESULT Exhaust() { throw std::bad_alloc(); }
  // Touches its own state between and after two events, as controls do.
  HRESULT FireTwice() {
    Fire(kOnChanged, count_, enabled_, name_.Get());
    ++count_;
    Fire(kOnChanged, count_, enabled_, name_.Get());
    return count_ > 0 ? S_OK : S_FALSE;
  }

  // IPersistStreamInit is here only to answer QueryInterface.
  HRESULT GetClassID(CLSID*) override { return E_NOTIMPL; }
  HRESULT IsDirty() override { return S_FALSE; }
  HRESULT Load(IStream*) override { return E_NOTIMPL; }
  HRESULT Save(IStream*, BOOL) override { return E_NOTIMPL; }
  HRESULT GetSizeMax(ULARGE_INTEGER*) override { return E_NOTIMPL; }
  HRESULT InitNew() override { return S_OK; }

  using EventSource::Fire;

 private:
  int32_t count_ = 0;
  bool enabled_ = false;
  Bstr name_;
};

inline std::span<const DispatchMember<CTestControl>> CTestControl::DispatchMembers() {
  using M = Members<CTestControl>;
  static constexpr DispatchMember<CTestControl> kMembers[] = {
      M::Get<&CTestControl::get_count>(u"count", kCount),
      M::Put<&CTestControl::put_count>(u"count", kCount),
      M::Get<&CTestControl::get_name>(u"Name", kName),
      M::Put<&CTestControl::put_name>(u"Name", kName),
      M::Get<&CTestControl::get_enabled>(u"enabled", kEnabled),
      M::Put<&CTestControl::put_enabled>(u"enabled", kEnabled),
      M::Get<&CTestControl::get_optional>(u"optional", kOptional),
      M::Method<&CTestControl::Add>(u"Add", kAdd, {u"a", u"b", u"sum"}),
      M::Method<&CTestControl::Describe>(u"Describe", kDescribe),
      M::Method<&CTestControl::Check>(u"Check", kCheck),
      M::Method<&CTestControl::FireChanged>(u"FireChanged", kFireChanged),
      M::Method<&CTestControl::Exhaust>(u"Exhaust", kExhaust),
      M::Method<&CTestControl::FireTwice>(u"FireTwice", kFireTwice),
  };
  return kMembers;
}

// One event as a sink received it: strings copied, null kept apart from empty.
struct ReceivedEvent {
  DISPID dispid;
  std::vector<VARTYPE> types;  // in declaration order
  std::vector<int32_t> numbers;
  std::vector<std::u16string> texts;
  std::vector<bool> nullTexts;
};

enum class SinkAnswers { kDispatch, kEventInterface, kNothing };

// Records the events it receives; onEvent runs inside each Invoke.
class RecordingSink : public ComObject<IDispatch> {
 public:
  explicit RecordingSink(SinkAnswers answers = SinkAnswers::kDispatch)
      : ComObject(ModuleCount::kNotCounted), answers_(answers) {}

  HRESULT QueryInterface(REFIID riid, void** object) override {
    if (object == nullptr) return E_POINTER;
    *object = nullptr;
    if (riid == IID_IUnknown) return ComObject::QueryInterface(riid, object);
    asked.push_back(riid);
    bool answers = (riid == IID_IDispatch && answers_ != SinkAnswers::kNothing) ||
                   (riid == DIID_ITestControlEvents && answers_ == SinkAnswers::kEventInterface);
    if (!answers) return E_NOINTERFACE;
    return ComObject::QueryInterface(IID_IDispatch, object);
  }

  HRESULT GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override { return E_NOTIMPL; }
  HRESULT Invoke(DISPID dispid, REFIID riid, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                 EXCEPINFO* excepInfo, UINT* argErr) override {
    EXPECT_EQ(riid, IID_NULL);
    EXPECT_EQ(flags, DISPATCH_METHOD);
    EXPECT_EQ(result, nullptr);
    EXPECT_EQ(excepInfo, nullptr);
    EXPECT_EQ(argErr, nullptr);
    ReceivedEvent event{dispid, {}, {}, {}, {}};
    for (UINT i = params->cArgs; i-- > 0;) {
      const VARIANT& arg = params->rgvarg[i];
      event.types.push_back(arg.vt);
      if (arg.vt == VT_I4) event.numbers.push_back(arg.lVal);
      if (arg.vt == VT_BOOL) event.numbers.push_back(arg.boolVal);
      if (arg.vt == VT_BSTR) {
        event.texts.push_back(ToU16String(arg.bstrVal));
        event.nullTexts.push_back(arg.bstrVal == nullptr);
      }
    }
    events.push_back(event);
    if (onEvent) onEvent();
    return E_FAIL;  // ignored by the source
  }

  std::vector<ReceivedEvent> events;
  std::function<void()> onEvent;
  std::vector<IID> asked;  // every interface asked for, in order

 private:
  SinkAnswers answers_;
};

}  // namespace varn::com::testing
