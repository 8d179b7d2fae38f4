// The connection point of one event interface: the sinks connected to it, in
// connection order, and the synchronous firing of events to them.
#pragma once

#include <vector>

#include "platform/com/connection_point.h"
#include "platform/com/dispatch.h"

namespace varn::com {

class EventConnectionPoint : public IConnectionPoint {
 public:
  // Lives inside container and shares its reference count.
  EventConnectionPoint(IConnectionPointContainer& container, const IID& eventIid);
  ~EventConnectionPoint();
  EventConnectionPoint(const EventConnectionPoint&) = delete;
  EventConnectionPoint& operator=(const EventConnectionPoint&) = delete;

  HRESULT QueryInterface(REFIID riid, void** object) override;
  ULONG AddRef() override;
  ULONG Release() override;

  HRESULT GetConnectionInterface(IID* iid) override;
  HRESULT GetConnectionPointContainer(IConnectionPointContainer** container) override;
  // Asks the sink for the event interface, then for IDispatch.
  HRESULT Advise(IUnknown* sink, DWORD* cookie) override;
  HRESULT Unadvise(DWORD cookie) override;
  HRESULT EnumConnections(IEnumConnections** connections) override;

  // Calls every sink connected now, in connection order, with a method call of
  // dispid; their results are ignored. A sink may connect, disconnect (itself
  // or others) or call back into the object meanwhile: those disconnected
  // before their turn are skipped, those connected meanwhile wait for the next
  // event.
  HRESULT Fire(DISPID dispid, DISPPARAMS& params);

  size_t ConnectionCount() const { return sinks_.size(); }

 private:
  struct Connection {
    DWORD cookie;
    IDispatch* sink;
  };

  bool IsConnected(DWORD cookie) const;

  IConnectionPointContainer& container_;
  const IID& eventIid_;
  std::vector<Connection> sinks_;
  DWORD nextCookie_ = 1;
};

}  // namespace varn::com
