#include "app/ExceptionClass.h"

#include "tftp/IdTrivialFTPBase.h"

namespace {

template <class E> bool Is(const std::exception& error) {
    return dynamic_cast<const E*>(&error) != nullptr;
}

} // namespace

std::string ExceptionClassName(const std::exception& error) {
    // Most derived classes first: every TFTP error class is also an EIdTFTPException, and every
    // one of those an EIdException.
    const std::pair<bool (*)(const std::exception&), const char*> classes[] = {
        {Is<EIdTFTPFileNotFound>, "EIdTFTPFileNotFound"},
        {Is<EIdTFTPAccessViolation>, "EIdTFTPAccessViolation"},
        {Is<EIdTFTPAllocationExceeded>, "EIdTFTPAllocationExceeded"},
        {Is<EIdTFTPIllegalOperation>, "EIdTFTPIllegalOperation"},
        {Is<EIdTFTPUnknownTransferID>, "EIdTFTPUnknownTransferID"},
        {Is<EIdTFTPFileAlreadyExists>, "EIdTFTPFileAlreadyExists"},
        {Is<EIdTFTPNoSuchUser>, "EIdTFTPNoSuchUser"},
        {Is<EIdTFTPOptionNegotiationFailed>, "EIdTFTPOptionNegotiationFailed"},
        {Is<EIdTFTPException>, "EIdTFTPException"},
        {Is<EIdSocketError>, "EIdSocketError"},
        {Is<EIdException>, "EIdException"},
    };
    for (const auto& [matches, name] : classes) {
        if (matches(error)) {
            return name;
        }
    }
    return "Exception";
}
