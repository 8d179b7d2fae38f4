// Pins the binary interface: each interface's last method sits in the vtable
// slot the Windows SDK gives it, so a host built against those layouts calls
// the method it means. (Itanium C++ ABI: a pointer to a virtual member holds
// 1 + the slot's byte offset.)
#include <gtest/gtest.h>

#include <cstring>

#include "platform/com/interfaces.h"

namespace {

template <typename Member>
size_t SlotOf(Member member) {
  static_assert(sizeof(Member) == 2 * sizeof(uintptr_t));
  uintptr_t words[2];
  std::memcpy(words, &member, sizeof(words));
  EXPECT_EQ(words[0] % sizeof(void*), 1u) << "not a virtual member";
  EXPECT_EQ(words[1], 0u) << "not the primary vtable";
  return (words[0] - 1) / sizeof(void*);
}

TEST(VtableLayout, LastMethodOfEachInterfaceIsInItsSdkSlot) {
  EXPECT_EQ(SlotOf(&IUnknown::Release), 2u);
  EXPECT_EQ(SlotOf(&IClassFactory::LockServer), 4u);
  EXPECT_EQ(SlotOf(&IDispatch::Invoke), 6u);
  EXPECT_EQ(SlotOf(&IConnectionPointContainer::FindConnectionPoint), 4u);
  EXPECT_EQ(SlotOf(&IConnectionPoint::EnumConnections), 7u);
  EXPECT_EQ(SlotOf(&IEnumConnections::Clone), 6u);
  EXPECT_EQ(SlotOf(&IEnumConnectionPoints::Clone), 6u);
  EXPECT_EQ(SlotOf(&IProvideClassInfo2::GetGUID), 4u);
  EXPECT_EQ(SlotOf(&IObjectSafety::SetInterfaceSafetyOptions), 4u);
  EXPECT_EQ(SlotOf(&IOleClientSite::RequestNewObjectLayout), 8u);
  EXPECT_EQ(SlotOf(&IOleObject::DoVerb), 11u);
  EXPECT_EQ(SlotOf(&IOleObject::SetColorScheme), 23u);
  EXPECT_EQ(SlotOf(&IOleWindow::ContextSensitiveHelp), 4u);
  EXPECT_EQ(SlotOf(&IOleInPlaceObject::ReactivateAndUndo), 8u);
  EXPECT_EQ(SlotOf(&IOleInPlaceObjectWindowless::OnWindowMessage), 9u);
  EXPECT_EQ(SlotOf(&IOleInPlaceObjectWindowless::GetDropTarget), 10u);
  EXPECT_EQ(SlotOf(&IOleInPlaceActiveObject::EnableModeless), 9u);
  EXPECT_EQ(SlotOf(&IOleControl::FreezeEvents), 6u);
  EXPECT_EQ(SlotOf(&IViewObject::Draw), 3u);
  EXPECT_EQ(SlotOf(&IViewObject::GetAdvise), 8u);
  EXPECT_EQ(SlotOf(&IViewObject2::GetExtent), 9u);
  EXPECT_EQ(SlotOf(&IViewObjectEx::GetNaturalExtent), 14u);
  EXPECT_EQ(SlotOf(&IPersist::GetClassID), 3u);
  EXPECT_EQ(SlotOf(&IPersistStreamInit::InitNew), 8u);
  EXPECT_EQ(SlotOf(&IPersistPropertyBag::Save), 6u);
  EXPECT_EQ(SlotOf(&IPersistStorage::HandsOffStorage), 9u);
  EXPECT_EQ(SlotOf(&IPropertyBag::Write), 4u);
  EXPECT_EQ(SlotOf(&IDataObject::EnumDAdvise), 11u);
  EXPECT_EQ(SlotOf(&IAdviseSink::OnClose), 7u);
  EXPECT_EQ(SlotOf(&ISupportErrorInfo::InterfaceSupportsErrorInfo), 3u);
  EXPECT_EQ(SlotOf(&ISpecifyPropertyPages::GetPages), 3u);
  EXPECT_EQ(SlotOf(&IQuickActivate::GetContentExtent), 5u);
  EXPECT_EQ(SlotOf(&IServiceProvider::QueryService), 3u);
  EXPECT_EQ(SlotOf(&ISequentialStream::Write), 4u);
  EXPECT_EQ(SlotOf(&IStream::Clone), 13u);
  EXPECT_EQ(SlotOf(&IVarnHostUI::ShowMessageBox), 4u);
}

TEST(VtableLayout, SharedStructuresKeepTheirWindowsSizes) {
  EXPECT_EQ(sizeof(VARIANT), 24u);
  EXPECT_EQ(sizeof(DISPPARAMS), 24u);
  EXPECT_EQ(sizeof(GUID), 16u);
  EXPECT_EQ(sizeof(CONNECTDATA), 16u);
  EXPECT_EQ(sizeof(EXCEPINFO), 64u);
  EXPECT_EQ(sizeof(MSG), 48u);
  EXPECT_EQ(sizeof(STATSTG), 80u);
  EXPECT_EQ(sizeof(CAUUID), 16u);
  EXPECT_EQ(offsetof(VARIANT, lVal), 8u);
}

}  // namespace
