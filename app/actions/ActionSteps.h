// Steps that several actions share: the overwrite question and the report of a failure.
#pragma once

#include "app/actions/ActionHost.h"

#include <string>

// Sentences that more than one action shows.
inline constexpr const char* kPutFailed = "TFTP put file failed!";
inline constexpr const char* kGetFailed = "TFTP get file failed!";
inline constexpr const char* kLoggerConverted =
    "data of logger successfull received and converted to file ";

// Asks whether the file at path may be replaced; true when nothing is there or the answer is yes.
bool ConfirmOverwrite(ActionHost& host, const std::string& path);

// Shows the action's failure: its sentence, an empty line and the detail (the error's message).
// True when the host wants the error passed on.
bool ReportFailure(ActionHost& host, Action action, const std::string& sentence,
                   const std::string& detail);
