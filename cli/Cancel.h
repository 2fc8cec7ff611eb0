// Ctrl+C during a transfer: the running client's CancelRequested is set at once, so the
// transfer ends with "Operation canceled" at the end of its current one-second wait.
#pragma once

class TIdTrivialFTP;

// Called on Ctrl+C. False when no transfer is running and nothing holds the request, so that
// there is nothing to cancel.
bool RequestCancel();
bool CancelWasRequested();

// Makes a client the one Ctrl+C cancels while this object lives.
class CancelTarget {
public:
    explicit CancelTarget(TIdTrivialFTP& client);
    ~CancelTarget();
    CancelTarget(const CancelTarget&) = delete;
    CancelTarget& operator=(const CancelTarget&) = delete;

    // The client clears its flag when a transfer starts; a Ctrl+C that came before is passed
    // on again from the work events.
    void Renew();

private:
    TIdTrivialFTP& client_;
};

// While this object lives, Ctrl+C is only recorded (CancelWasRequested) and ends nothing: for a
// step that must run to its end once begun, such as the rest of a firmware update.
class CancelHold {
public:
    CancelHold();
    ~CancelHold();
    CancelHold(const CancelHold&) = delete;
    CancelHold& operator=(const CancelHold&) = delete;
};
