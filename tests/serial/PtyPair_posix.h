// A pseudo-terminal pair standing in for a serial line: the port object opens the slave side as
// COM<n> (through QUORVEL_COM<n>), the test plays the device on the master side.
#pragma once

#include <chrono>
#include <string>

#include <termios.h>

class PtyPair {
public:
    explicit PtyPair(int comNumber);
    ~PtyPair();
    PtyPair(const PtyPair&) = delete;
    PtyPair& operator=(const PtyPair&) = delete;

    const std::string& SlaveName() const { return Slave; }
    // The line settings the port object left on the slave side.
    termios SlaveSettings() const;

    // The device sends these bytes.
    void Send(const std::string& bytes);
    // What the device received: reads until `count` bytes are in or `wait` has passed.
    std::string Received(std::size_t count,
                         std::chrono::milliseconds wait = std::chrono::seconds(2));
    // The device goes away: the line hangs up.
    void HangUp();

private:
    int Master = -1;
    // Held open so the slave keeps existing between the port object's opens.
    int SlaveKeeper = -1;
    std::string Slave;
    std::string Variable;
};
