// The actions of the window, each from its file choice to its one message, run by a host: the
// window's buttons and Alt+L, or quorvel-cli's commands. Each returns true when it did what it
// was asked, false when it was cancelled, refused or failed (its message has said why); a failure
// the host wants passed on leaves as the exception.
//
// The entries that take paths are the same actions without the file choice, for a front end
// that names the files itself: the window's action is the Run... entry, and the command line's
// get, put and convert take their paths from the command line.
#pragma once

#include "app/actions/ActionHost.h"
#include "app/actions/FirmwareFiles.h"
#include "support/Clock.h"

#include <optional>
#include <string>

// "Put file": sends the chosen file under its own name.
bool RunPut(ActionHost& host);
bool PutFile(ActionHost& host, const std::string& localPath, const std::string& remoteName);

// "Get file": fetches the device's file named like the chosen one into it.
bool RunGet(ActionHost& host);
// An existing file at localPath is replaced only after a yes, and only by a complete file.
bool GetFile(ActionHost& host, const std::string& remoteName, const std::string& localPath);

// "Firmware update": a ".pfo" image alone, or a ".pfw" image followed by its ".pch" companion.
bool RunFirmwareUpdate(ActionHost& host);
// Its two halves, for a front end that sends one image to many devices: the check of the image
// at path and its companion, before anything is sent (nothing, after a warning, when they cannot
// be sent), and the upload of checked files to the device of host.
std::optional<FirmwareFiles> CheckFirmwareFiles(ActionHost& host, const std::string& path);
bool SendFirmwareFiles(ActionHost& host, const FirmwareFiles& files);

// "Read zel logger": fetches the device's "plog.zel" and converts it into the chosen CSV file.
bool RunReadLogger(ActionHost& host);

// "only convert": converts the chosen logger file into the CSV file beside it.
bool RunConvertLogger(ActionHost& host);
bool ConvertLogger(ActionHost& host, const std::string& zelPath, const std::string& csvPath,
                   bool includeEmpty);

// Alt+L: converts "plog.zel" in programFolder into "plog.csv" there, empty slots included,
// without a question. Nothing happens without a "plog.zel"; errors are not caught.
bool ConvertBesideProgram(ActionHost& host, const std::string& programFolder);

// "Set transfer mode": wakes a device on the serial line COM<comPort> and shows its answer;
// true when the device answered within timeoutSeconds. Its pauses and the waits of its port
// take their time from clock.
bool SetTransferMode(ActionHost& host, int comPort, int timeoutSeconds,
                     Clock& clock = SystemClock());
