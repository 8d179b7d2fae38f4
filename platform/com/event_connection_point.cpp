#include "platform/com/event_connection_point.h"

#include <algorithm>
#include <new>

#include "platform/com/enumerator.h"

namespace varn::com {
namespace {

// More sinks than any page attaches; the limit keeps a runaway script from
// growing the list without end.
constexpr size_t kMaxConnections = 4096;

}  // namespace

EventConnectionPoint::EventConnectionPoint(IConnectionPointContainer& container,
                                           const IID& eventIid)
    : container_(container), eventIid_(eventIid) {}

EventConnectionPoint::~EventConnectionPoint() {
  std::vector<Connection> sinks;
  sinks.swap(sinks_);
  for (const Connection& connection : sinks) connection.sink->Release();
}

HRESULT EventConnectionPoint::QueryInterface(REFIID riid, void** object) {
  if (object == nullptr) return E_POINTER;
  if (riid == IID_IUnknown || riid == IID_IConnectionPoint) {
    *object = static_cast<IConnectionPoint*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG EventConnectionPoint::AddRef() { return container_.AddRef(); }
ULONG EventConnectionPoint::Release() { return container_.Release(); }

HRESULT EventConnectionPoint::GetConnectionInterface(IID* iid) {
  if (iid == nullptr) return E_POINTER;
  *iid = eventIid_;
  return S_OK;
}

HRESULT EventConnectionPoint::GetConnectionPointContainer(IConnectionPointContainer** container) {
  if (container == nullptr) return E_POINTER;
  container_.AddRef();
  *container = &container_;
  return S_OK;
}

HRESULT EventConnectionPoint::Advise(IUnknown* sink, DWORD* cookie) {
  if (cookie == nullptr) return E_POINTER;
  *cookie = 0;
  if (sink == nullptr) return E_POINTER;
  if (sinks_.size() >= kMaxConnections) return CONNECT_E_ADVISELIMIT;
  void* found = nullptr;
  if (FAILED(sink->QueryInterface(eventIid_, &found)) || found == nullptr) {
    found = nullptr;
    if (FAILED(sink->QueryInterface(IID_IDispatch, &found)) || found == nullptr) {
      return CONNECT_E_CANNOTCONNECT;
    }
  }
  auto* dispatch = static_cast<IDispatch*>(found);
  try {
    sinks_.push_back({nextCookie_, dispatch});
  } catch (const std::bad_alloc&) {
    dispatch->Release();
    return E_OUTOFMEMORY;
  }
  *cookie = nextCookie_++;
  if (nextCookie_ == 0) nextCookie_ = 1;  // 0 never names a connection
  return S_OK;
}

HRESULT EventConnectionPoint::Unadvise(DWORD cookie) {
  auto found = std::find_if(sinks_.begin(), sinks_.end(),
                            [cookie](const Connection& c) { return c.cookie == cookie; });
  if (found == sinks_.end()) return CONNECT_E_NOCONNECTION;
  IDispatch* sink = found->sink;
  sinks_.erase(found);
  // Released after the list is consistent: the sink's release may call back.
  sink->Release();
  return S_OK;
}

HRESULT EventConnectionPoint::EnumConnections(IEnumConnections** connections) {
  if (connections == nullptr) return E_POINTER;
  *connections = nullptr;
  try {
    std::vector<CONNECTDATA> items;
    items.reserve(sinks_.size());
    for (const Connection& c : sinks_) items.push_back({c.sink, c.cookie});
    auto* enumerator = MakeObject<ConnectionEnumerator>(std::move(items));
    if (enumerator == nullptr) return E_OUTOFMEMORY;
    *connections = enumerator;
    return S_OK;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
}

bool EventConnectionPoint::IsConnected(DWORD cookie) const {
  return std::any_of(sinks_.begin(), sinks_.end(),
                     [cookie](const Connection& c) { return c.cookie == cookie; });
}

HRESULT EventConnectionPoint::Fire(DISPID dispid, DISPPARAMS& params) {
  if (sinks_.empty()) return S_OK;
  std::vector<Connection> snapshot;
  try {
    snapshot = sinks_;
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  }
  // The snapshot's references keep each sink alive through its own call even
  // when it disconnects inside it; the object stays alive while a sink drops
  // the page's last reference to it.
  for (const Connection& c : snapshot) c.sink->AddRef();
  container_.AddRef();
  for (const Connection& c : snapshot) {
    if (!IsConnected(c.cookie)) continue;
    c.sink->Invoke(dispid, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr);
  }
  for (const Connection& c : snapshot) c.sink->Release();
  container_.Release();
  return S_OK;
}

}  // namespace varn::com
