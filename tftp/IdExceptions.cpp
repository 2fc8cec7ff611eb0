#include "tftp/IdExceptions.h"

[[noreturn]] void RaiseTFTPError(std::uint16_t code, const std::string& message) {
    switch (code) {
    case ERR_FILE_NOT_FOUND:
        throw EIdTFTPFileNotFound(message);
    case ERR_ACCESS_VIOLATION:
        throw EIdTFTPAccessViolation(message);
    case ERR_ALLOCATION_EXCEEDED:
        throw EIdTFTPAllocationExceeded(message);
    case ERR_ILLEGAL_OPERATION:
        throw EIdTFTPIllegalOperation(message);
    case ERR_UNKNOWN_TRANSFER_ID:
        throw EIdTFTPUnknownTransferID(message);
    case ERR_FILE_ALREADY_EXISTS:
        throw EIdTFTPFileAlreadyExists(message);
    case ERR_NO_SUCH_USER:
        throw EIdTFTPNoSuchUser(message);
    case ERR_OPTION_NEGOTIATION_FAILED:
        throw EIdTFTPOptionNegotiationFailed(message);
    default:
        throw EIdTFTPException(message);
    }
}

std::uint16_t ErrorCodeOf(const std::exception& error) {
    const auto* tftpError = dynamic_cast<const EIdTFTPException*>(&error);
    return tftpError != nullptr ? tftpError->ErrorCode() : ERR_UNDEFINED;
}

std::string ClassNameOf(const std::exception& error) {
    const auto* ownError = dynamic_cast<const EIdException*>(&error);
    return ownError != nullptr ? ownError->ClassName() : "Exception";
}
