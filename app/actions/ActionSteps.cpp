#include "app/actions/ActionSteps.h"

#include "app/actions/ActionFiles.h"

bool ConfirmOverwrite(ActionHost& host, const std::string& path) {
    return !PathTaken(path) ||
           host.AskOverwrite("File " + Quoted(path) + " already exists!\rOverwrite?");
}

bool ReportFailure(ActionHost& host, Action action, const std::string& sentence,
                   const std::string& detail) {
    host.ShowWarning(sentence + "\r\r" + detail);
    return host.PassOnFailure(action);
}
