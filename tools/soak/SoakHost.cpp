#include "tools/soak/SoakHost.h"

#include "tftp/IdTrivialFTP.h"

void SoakProgress::Start() {
    bytes_ = 0;
    lastData_ = SteadyClock::now();
}

void SoakProgress::Note(std::int64_t bytes) {
    // A report with an unchanged total only says that a reply wait passed in silence.
    if (bytes_.exchange(bytes) != bytes) {
        lastData_ = SteadyClock::now();
    }
}

SoakHost::SoakHost(TIdTrivialFTP& client, const SoakConnection& connection, SoakProgress& progress)
    : client_(client), connection_(connection), progress_(progress) {}

TIdTrivialFTP& SoakHost::PrepareClient(Action /*action*/) {
    client_.Host = connection_.host;
    client_.Port = connection_.port;
    client_.ReceiveTimeout = connection_.timeoutSeconds * 1000;
    client_.RequestedBlockSize = connection_.blockSize;
    return client_;
}
