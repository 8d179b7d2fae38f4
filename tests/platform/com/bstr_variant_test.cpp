#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/bstr.h"
#include "platform/com/com_object.h"
#include "platform/com/variant.h"

namespace {

using varn::com::Bstr;
using varn::com::Variant;

TEST(Bstr, NullAndEmptyAreDifferent) {
  EXPECT_EQ(SysAllocString(nullptr), nullptr);
  BSTR empty = SysAllocString(u"");
  ASSERT_NE(empty, nullptr);
  EXPECT_EQ(SysStringLen(empty), 0u);
  EXPECT_EQ(empty[0], u'\0');
  SysFreeString(empty);
  EXPECT_EQ(SysStringLen(nullptr), 0u);
  EXPECT_EQ(SysStringByteLen(nullptr), 0u);
  SysFreeString(nullptr);

  EXPECT_TRUE(Bstr::FromText(u"").Get() != nullptr);
  EXPECT_TRUE(Bstr::Copy(nullptr).IsNull());
}

TEST(Bstr, LayoutIsByteLengthPrefixAndTerminator) {
  BSTR text = SysAllocStringLen(u"ab\0cd", 5);
  ASSERT_NE(text, nullptr);
  uint32_t prefix = 0;
  std::memcpy(&prefix, reinterpret_cast<const char*>(text) - 4, 4);
  EXPECT_EQ(prefix, 10u);
  EXPECT_EQ(SysStringLen(text), 5u);
  EXPECT_EQ(SysStringByteLen(text), 10u);
  EXPECT_EQ(text[2], u'\0');  // embedded zeros are kept
  EXPECT_EQ(text[5], u'\0');
  EXPECT_EQ(varn::com::BstrView(text), std::u16string_view(u"ab\0cd", 5));
  SysFreeString(text);

  BSTR stopsAtZero = SysAllocString(u"xy\0z");
  EXPECT_EQ(SysStringLen(stopsAtZero), 2u);
  SysFreeString(stopsAtZero);
}

TEST(Bstr, NullSourceWithLengthIsZeroFilled) {
  BSTR text = SysAllocStringLen(nullptr, 3);
  ASSERT_NE(text, nullptr);
  EXPECT_EQ(SysStringLen(text), 3u);
  EXPECT_EQ(std::u16string_view(text, 4), std::u16string_view(u"\0\0\0\0", 4));
  SysFreeString(text);
}

TEST(Bstr, RefusesLengthsThatCannotBeStored) {
  EXPECT_EQ(SysAllocStringLen(nullptr, 0x80000000u), nullptr);
  EXPECT_EQ(SysAllocStringLen(nullptr, 0xFFFFFFFFu), nullptr);
}

TEST(Bstr, OwnerFreesAndReceives) {
  Bstr owner = Bstr::FromText(u"first");
  BSTR* slot = owner.Receive();  // frees "first"
  EXPECT_EQ(*slot, nullptr);
  *slot = SysAllocString(u"second");
  EXPECT_EQ(owner.View(), u"second");
  Bstr moved = std::move(owner);
  EXPECT_TRUE(owner.IsNull());
  BSTR detached = moved.Detach();
  EXPECT_TRUE(moved.IsNull());
  EXPECT_EQ(varn::com::ToU16String(detached), u"second");
  SysFreeString(detached);
}

// Counts AddRef and Release so copies and clears can be checked.
class CountedObject : public varn::com::ComObject<IUnknown> {
 public:
  CountedObject() : ComObject(varn::com::ModuleCount::kNotCounted) {}
  ULONG References() {
    AddRef();
    return Release();
  }
};

TEST(Variant, ClearReleasesStringsAndInterfaces) {
  CountedObject* object = varn::com::MakeObject<CountedObject>();
  VARIANT value;
  VariantInit(&value);
  EXPECT_EQ(value.vt, VT_EMPTY);
  value.vt = VT_UNKNOWN;
  value.punkVal = object;
  object->AddRef();
  EXPECT_EQ(object->References(), 2u);
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(value.vt, VT_EMPTY);
  EXPECT_EQ(object->References(), 1u);

  value.vt = VT_BSTR;
  value.bstrVal = SysAllocString(u"freed by clear");  // the leak checker watches this
  EXPECT_EQ(VariantClear(&value), S_OK);
  EXPECT_EQ(value.vt, VT_EMPTY);
  object->Release();
}

TEST(Variant, ClearRefusesTypesItCannotRelease) {
  VARIANT value;
  VariantInit(&value);
  value.vt = 0x2000 | VT_I4;  // a safe array: not ours to free
  EXPECT_EQ(VariantClear(&value), DISP_E_BADVARTYPE);
  EXPECT_EQ(value.vt, 0x2000 | VT_I4);
  EXPECT_EQ(VariantClear(nullptr), E_INVALIDARG);
}

TEST(Variant, CopyDeepCopiesStringsAndAddRefsInterfaces) {
  Variant source = Variant::FromText(u"text");
  Variant dest = Variant::FromText(u"old, freed by the copy");
  ASSERT_EQ(VariantCopy(dest.Get(), source.Get()), S_OK);
  ASSERT_EQ(dest.Type(), VT_BSTR);
  EXPECT_NE(dest.Value().bstrVal, source.Value().bstrVal);
  EXPECT_EQ(varn::com::BstrView(dest.Value().bstrVal), u"text");

  VARIANT nullText;
  VariantInit(&nullText);
  nullText.vt = VT_BSTR;
  nullText.bstrVal = nullptr;
  ASSERT_EQ(VariantCopy(dest.Get(), &nullText), S_OK);
  EXPECT_EQ(dest.Type(), VT_BSTR);
  EXPECT_EQ(dest.Value().bstrVal, nullptr);

  CountedObject* object = varn::com::MakeObject<CountedObject>();
  VARIANT reference;
  VariantInit(&reference);
  reference.vt = VT_UNKNOWN;
  reference.punkVal = object;
  ASSERT_EQ(VariantCopy(dest.Get(), &reference), S_OK);
  EXPECT_EQ(object->References(), 2u);
  dest = Variant();
  EXPECT_EQ(object->References(), 1u);
  object->Release();

  EXPECT_EQ(VariantCopy(dest.Get(), dest.Get()), S_OK);
}

TEST(Variant, WrapperValues) {
  EXPECT_EQ(Variant::FromInt(-7).Value().lVal, -7);
  EXPECT_EQ(Variant::FromBool(true).Value().boolVal, VARIANT_TRUE);
  EXPECT_EQ(Variant::FromBool(false).Value().boolVal, VARIANT_FALSE);
  Variant text = Variant::FromText(u"");
  EXPECT_EQ(text.Type(), VT_BSTR);
  EXPECT_NE(text.Value().bstrVal, nullptr);
  VARIANT raw = text.Detach();
  EXPECT_EQ(text.Type(), VT_EMPTY);
  VariantClear(&raw);
}

}  // namespace
