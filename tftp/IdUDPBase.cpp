#include "tftp/IdUDPBase.h"

TIdUDPBase::TIdUDPBase() {
    IdSocket::AcquireLayer();
}

TIdUDPBase::~TIdUDPBase() {
    Endpoint.reset();
    IdSocket::ReleaseLayer();
}

bool TIdUDPBase::Active() const {
    return Endpoint && Endpoint->IsOpen();
}

TIdDatagramEndpoint& TIdUDPBase::Binding() {
    if (!Endpoint) {
        Endpoint = std::make_unique<TIdDatagramEndpoint>();
    }
    return *Endpoint;
}
