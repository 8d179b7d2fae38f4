#include <gtest/gtest.h>

#include "invoke_helpers.h"
#include "test_control.h"

namespace varn::com::testing {
namespace {

class ConnectionPoints : public ::testing::Test {
 protected:
  void SetUp() override {
    control_ = MakeObject<CTestControl>();
    ASSERT_EQ(control_->FindConnectionPoint(DIID_ITestControlEvents, &point_), S_OK);
  }
  void TearDown() override {
    point_->Release();
    EXPECT_EQ(control_->Release(), 0u);
  }

  RecordingSink* NewSink(SinkAnswers answers = SinkAnswers::kDispatch) {
    sinks_.push_back(MakeObject<RecordingSink>(answers));
    return sinks_.back();
  }

  DWORD Connect(RecordingSink* sink) {
    DWORD cookie = 0;
    EXPECT_EQ(point_->Advise(sink, &cookie), S_OK);
    EXPECT_NE(cookie, 0u);
    return cookie;
  }

  ~ConnectionPoints() override {
    for (RecordingSink* sink : sinks_) sink->Release();
  }

  std::vector<RecordingSink*> sinks_;  // the test's own references
  CTestControl* control_ = nullptr;
  IConnectionPoint* point_ = nullptr;
};

TEST_F(ConnectionPoints, ContainerFindsOnlyItsEventInterface) {
  IID iid{};
  EXPECT_EQ(point_->GetConnectionInterface(&iid), S_OK);
  EXPECT_EQ(iid, DIID_ITestControlEvents);
  IConnectionPoint* other = reinterpret_cast<IConnectionPoint*>(0x1);
  EXPECT_EQ(control_->FindConnectionPoint(IID_IDispatch, &other), CONNECT_E_NOCONNECTION);
  EXPECT_EQ(other, nullptr);
  IConnectionPointContainer* container = nullptr;
  EXPECT_EQ(point_->GetConnectionPointContainer(&container), S_OK);
  EXPECT_EQ(container, static_cast<IConnectionPointContainer*>(control_));
  container->Release();

  IEnumConnectionPoints* points = nullptr;
  ASSERT_EQ(control_->EnumConnectionPoints(&points), S_OK);
  IConnectionPoint* listed[2] = {};
  ULONG fetched = 0;
  EXPECT_EQ(points->Next(2, listed, &fetched), S_FALSE);
  EXPECT_EQ(fetched, 1u);
  EXPECT_EQ(listed[0], point_);
  listed[0]->Release();
  points->Release();
}

TEST_F(ConnectionPoints, AdviseAsksForTheEventInterfaceThenDispatch) {
  RecordingSink* typed = NewSink(SinkAnswers::kEventInterface);
  RecordingSink* plain = NewSink(SinkAnswers::kDispatch);
  RecordingSink* neither = NewSink(SinkAnswers::kNothing);
  Connect(typed);
  EXPECT_EQ(typed->asked, (std::vector<IID>{DIID_ITestControlEvents}));
  Connect(plain);
  EXPECT_EQ(plain->asked, (std::vector<IID>{DIID_ITestControlEvents, IID_IDispatch}));

  DWORD cookie = 5;
  EXPECT_EQ(point_->Advise(neither, &cookie), CONNECT_E_CANNOTCONNECT);
  EXPECT_EQ(cookie, 0u);
  EXPECT_EQ(point_->Advise(nullptr, &cookie), E_POINTER);
  EXPECT_EQ(point_->Unadvise(12345), CONNECT_E_NOCONNECTION);
}

TEST_F(ConnectionPoints, SinksReceiveEventsInConnectionOrder) {
  RecordingSink* first = NewSink();
  RecordingSink* second = NewSink();
  std::vector<RecordingSink*> order;
  first->onEvent = [&] { order.push_back(first); };
  second->onEvent = [&] { order.push_back(second); };
  Connect(first);
  Connect(second);

  control_->put_count(-4);
  control_->put_enabled(VARIANT_TRUE);
  control_->put_name(Bstr::FromText(u"n").Get());
  EXPECT_EQ(control_->FireChanged(), S_OK);

  EXPECT_EQ(order, (std::vector<RecordingSink*>{first, second}));
  for (RecordingSink* sink : {first, second}) {
    ASSERT_EQ(sink->events.size(), 1u);
    const ReceivedEvent& event = sink->events[0];
    EXPECT_EQ(event.dispid, kOnChanged);
    EXPECT_EQ(event.types, (std::vector<VARTYPE>{VT_I4, VT_BOOL, VT_BSTR}));
    EXPECT_EQ(event.numbers, (std::vector<int32_t>{-4, VARIANT_TRUE}));
    EXPECT_EQ(event.texts, (std::vector<std::u16string>{u"n"}));
  }
}

TEST_F(ConnectionPoints, NullTextArrivesAsNullString) {
  RecordingSink* sink = NewSink();
  Connect(sink);
  EXPECT_EQ(control_->Fire(3, BSTR{nullptr}, u"", std::u16string(u"x")), S_OK);
  ASSERT_EQ(sink->events.size(), 1u);
  EXPECT_EQ(sink->events[0].nullTexts, (std::vector<bool>{true, false, false}));
  EXPECT_EQ(sink->events[0].texts, (std::vector<std::u16string>{u"", u"", u"x"}));
}

TEST_F(ConnectionPoints, SinkMayUnadviseItselfDuringAnEvent) {
  RecordingSink* leaving = NewSink();
  RecordingSink* staying = NewSink();
  DWORD leavingCookie = Connect(leaving);
  Connect(staying);
  leaving->onEvent = [&] { EXPECT_EQ(point_->Unadvise(leavingCookie), S_OK); };
  // Only the point holds the sink now: it must survive its own call.
  sinks_.erase(sinks_.begin());
  leaving->Release();

  EXPECT_EQ(control_->FireChanged(), S_OK);
  EXPECT_EQ(staying->events.size(), 1u);
  EXPECT_EQ(control_->FireChanged(), S_OK);
  EXPECT_EQ(staying->events.size(), 2u);
}

TEST_F(ConnectionPoints, SinkUnadvisedByAnotherIsSkipped) {
  RecordingSink* first = NewSink();
  RecordingSink* second = NewSink();
  RecordingSink* late = NewSink();
  Connect(first);
  DWORD secondCookie = Connect(second);
  first->onEvent = [&] {
    point_->Unadvise(secondCookie);
    DWORD cookie = 0;
    point_->Advise(late, &cookie);
  };
  EXPECT_EQ(control_->FireChanged(), S_OK);
  EXPECT_EQ(first->events.size(), 1u);
  EXPECT_TRUE(second->events.empty());
  EXPECT_TRUE(late->events.empty());  // connected during the event: waits for the next
  first->onEvent = nullptr;
  EXPECT_EQ(control_->FireChanged(), S_OK);
  EXPECT_EQ(late->events.size(), 1u);
}

TEST_F(ConnectionPoints, SinkMayCallBackIntoTheObject) {
  RecordingSink* sink = NewSink();
  Connect(sink);
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(control_->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  std::vector<int32_t> seen;
  sink->onEvent = [&] {
    VARIANT result;
    EXPECT_EQ(Get(dispatch, kCount, &result), S_OK);
    seen.push_back(result.lVal);
    if (result.lVal < 3) {
      Put(dispatch, kCount, I4(result.lVal + 1));
      EXPECT_EQ(Call(dispatch, kFireChanged, DISPATCH_METHOD, {}), S_OK);
    }
  };
  EXPECT_EQ(Call(dispatch, kFireChanged, DISPATCH_METHOD, {}), S_OK);
  EXPECT_EQ(seen, (std::vector<int32_t>{0, 1, 2, 3}));
  dispatch->Release();
}

TEST_F(ConnectionPoints, ObjectSurvivesSinkDroppingTheLastReference) {
  CTestControl* other = MakeObject<CTestControl>();
  IConnectionPoint* otherPoint = nullptr;
  ASSERT_EQ(other->FindConnectionPoint(DIID_ITestControlEvents, &otherPoint), S_OK);
  RecordingSink* sink = NewSink();
  DWORD cookie = 0;
  ASSERT_EQ(otherPoint->Advise(sink, &cookie), S_OK);
  otherPoint->Release();
  bool released = false;
  sink->onEvent = [&] {
    if (!released) other->Release();  // the page's last reference
    released = true;
  };
  EXPECT_EQ(other->FireChanged(), S_OK);  // the object goes once the event is over
  EXPECT_TRUE(released);
}

TEST_F(ConnectionPoints, ObjectOutlivesAMemberWhoseEventDropsTheLastReference) {
  CTestControl* other = MakeObject<CTestControl>();
  IConnectionPoint* otherPoint = nullptr;
  ASSERT_EQ(other->FindConnectionPoint(DIID_ITestControlEvents, &otherPoint), S_OK);
  RecordingSink* sink = NewSink();
  DWORD cookie = 0;
  ASSERT_EQ(otherPoint->Advise(sink, &cookie), S_OK);
  otherPoint->Release();
  IDispatch* dispatch = nullptr;
  ASSERT_EQ(other->QueryInterface(IID_IDispatch, reinterpret_cast<void**>(&dispatch)), S_OK);
  other->Release();
  bool released = false;
  sink->onEvent = [&] {
    if (!released) dispatch->Release();  // the page's last reference, in the first event
    released = true;
  };
  // The member goes on after its first event; the sanitizer build sees any use after free.
  EXPECT_EQ(Call(dispatch, kFireTwice, DISPATCH_METHOD, {}), S_OK);
  EXPECT_EQ(sink->events.size(), 2u);
}

TEST_F(ConnectionPoints, EnumConnectionsListsSinksWithCookies) {
  RecordingSink* first = NewSink();
  RecordingSink* second = NewSink();
  DWORD firstCookie = Connect(first);
  DWORD secondCookie = Connect(second);
  IEnumConnections* connections = nullptr;
  ASSERT_EQ(point_->EnumConnections(&connections), S_OK);
  point_->Unadvise(firstCookie);  // the snapshot stays as it was
  CONNECTDATA items[3] = {};
  ULONG fetched = 0;
  EXPECT_EQ(connections->Next(3, items, &fetched), S_FALSE);
  ASSERT_EQ(fetched, 2u);
  EXPECT_EQ(items[0].dwCookie, firstCookie);
  EXPECT_EQ(items[1].dwCookie, secondCookie);
  EXPECT_EQ(items[0].pUnk, static_cast<IDispatch*>(first));
  for (ULONG i = 0; i < fetched; ++i) items[i].pUnk->Release();

  EXPECT_EQ(connections->Reset(), S_OK);
  EXPECT_EQ(connections->Skip(1), S_OK);
  IEnumConnections* clone = nullptr;
  ASSERT_EQ(connections->Clone(&clone), S_OK);
  EXPECT_EQ(clone->Next(1, items, nullptr), S_OK);
  EXPECT_EQ(items[0].dwCookie, secondCookie);
  items[0].pUnk->Release();
  EXPECT_EQ(clone->Skip(1), S_FALSE);
  clone->Release();
  connections->Release();
}

}  // namespace
}  // namespace varn::com::testing
