// The exceptions of the socket and TFTP layers, and the error table that ties the TFTP classes
// to the error codes of ERROR packets (RFC 1350 with RFC 2347), used in both directions: a
// received ERROR packet raises the class of its code, and a failure is reported to the peer with
// the code of its class.
//
// Every class names itself, as the window's messages show it before the text
// ("EIdTFTPException: Timeout").
#pragma once

#include <cstdint>
#include <exception>
#include <stdexcept>
#include <string>

// Error codes of ERROR packets.
inline constexpr std::uint16_t ERR_UNDEFINED = 0;
inline constexpr std::uint16_t ERR_FILE_NOT_FOUND = 1;
inline constexpr std::uint16_t ERR_ACCESS_VIOLATION = 2;
inline constexpr std::uint16_t ERR_ALLOCATION_EXCEEDED = 3;
inline constexpr std::uint16_t ERR_ILLEGAL_OPERATION = 4;
inline constexpr std::uint16_t ERR_UNKNOWN_TRANSFER_ID = 5;
inline constexpr std::uint16_t ERR_FILE_ALREADY_EXISTS = 6;
inline constexpr std::uint16_t ERR_NO_SUCH_USER = 7;
inline constexpr std::uint16_t ERR_OPTION_NEGOTIATION_FAILED = 8;

// Common base of every exception of the socket and TFTP layers; carries only its message.
class EIdException : public std::runtime_error {
public:
    explicit EIdException(const std::string& message) : std::runtime_error(message) {}
    virtual const char* ClassName() const { return "EIdException"; }
};

// A failure of the datagram endpoint: name resolution, socket calls, oversized datagrams.
class EIdSocketError : public EIdException {
public:
    using EIdException::EIdException;
    const char* ClassName() const override { return "EIdSocketError"; }
};

// Every failure the TFTP client raises itself. ErrorCode is the TFTP error code that reports the
// failure to the peer; each subclass stands for one code, and a class derived from a subclass
// keeps that code (and its name).
class EIdTFTPException : public EIdException {
public:
    using EIdException::EIdException;
    const char* ClassName() const override { return "EIdTFTPException"; }
    virtual std::uint16_t ErrorCode() const { return ERR_UNDEFINED; }
};

class EIdTFTPFileNotFound : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPFileNotFound"; }
    std::uint16_t ErrorCode() const override { return ERR_FILE_NOT_FOUND; }
};

class EIdTFTPAccessViolation : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPAccessViolation"; }
    std::uint16_t ErrorCode() const override { return ERR_ACCESS_VIOLATION; }
};

class EIdTFTPAllocationExceeded : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPAllocationExceeded"; }
    std::uint16_t ErrorCode() const override { return ERR_ALLOCATION_EXCEEDED; }
};

class EIdTFTPIllegalOperation : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPIllegalOperation"; }
    std::uint16_t ErrorCode() const override { return ERR_ILLEGAL_OPERATION; }
};

class EIdTFTPUnknownTransferID : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPUnknownTransferID"; }
    std::uint16_t ErrorCode() const override { return ERR_UNKNOWN_TRANSFER_ID; }
};

class EIdTFTPFileAlreadyExists : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPFileAlreadyExists"; }
    std::uint16_t ErrorCode() const override { return ERR_FILE_ALREADY_EXISTS; }
};

class EIdTFTPNoSuchUser : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPNoSuchUser"; }
    std::uint16_t ErrorCode() const override { return ERR_NO_SUCH_USER; }
};

class EIdTFTPOptionNegotiationFailed : public EIdTFTPException {
public:
    using EIdTFTPException::EIdTFTPException;
    const char* ClassName() const override { return "EIdTFTPOptionNegotiationFailed"; }
    std::uint16_t ErrorCode() const override { return ERR_OPTION_NEGOTIATION_FAILED; }
};

// Error table, code to class: throws the exception class of the code with the given message;
// codes without a class of their own (0 and above 8) throw EIdTFTPException.
[[noreturn]] void RaiseTFTPError(std::uint16_t code, const std::string& message);

// Error table, class to code: the code of an EIdTFTPException (sub)class, 0 for any other
// exception.
std::uint16_t ErrorCodeOf(const std::exception& error);

// The class name the program shows for a caught exception: an exception of the socket and TFTP
// layers names its own class; any other (a file that cannot be read, a range error) is an
// "Exception".
std::string ClassNameOf(const std::exception& error);
