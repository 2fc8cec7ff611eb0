#include "cli/ConsoleHost.h"

#include "app/actions/MessageText.h"
#include "cli/Console.h"

#include <ostream>
#include <utility>

ConsoleHost::ConsoleHost(CliIo& io, std::optional<std::string> chosenFile,
                         const TransferSettings& connection, std::string settingsFile)
    : io_(io), chosenFile_(std::move(chosenFile)), connection_(connection),
      settingsFile_(std::move(settingsFile)),
      progress_(io.err, io.errIsTerminal && !connection.quiet) {
    client_.TimeSource = io.clock;
}

std::optional<std::string> CommandLineChoice(Dialog dialog, std::optional<std::string> path,
                                             std::string& problem) {
    if (path) {
        std::string refusal = CheckChosenFile(DialogSetupOf(dialog), *path);
        if (!refusal.empty()) {
            problem = std::move(refusal);
            return std::nullopt;
        }
    }
    return path;
}

std::optional<std::string> ConsoleHost::ChooseFile(Dialog dialog, const std::string& /*title*/) {
    // Asked once: the command line names no other file.
    std::string problem;
    std::optional<std::string> path =
        CommandLineChoice(dialog, std::exchange(chosenFile_, std::nullopt), problem);
    if (!problem.empty()) {
        Print(io_.err, problem);
    }
    return path;
}

void ConsoleHost::ShowInfo(const std::string& text) {
    Print(io_.out, text);
}

void ConsoleHost::ShowWarning(const std::string& text) {
    Print(io_.err, text);
}

void ConsoleHost::Print(std::ostream& out, const std::string& text) {
    // Messages start on a line of their own.
    progress_.Finish();
    const std::string lines = WithLineBreaks(text);
    out << lines;
    if (lines.empty() || lines.back() != '\n') {
        out << '\n';
    }
    out << std::flush;
}

bool ConsoleHost::AskOverwrite(const std::string& question) {
    if (connection_.yes) {
        return true;
    }
    if (!io_.inIsTerminal) {
        Print(io_.err, question);
        io_.err << kOverwriteRefusalNote << '\n';
        return false;
    }
    // Ctrl+C at the question ends the program: nothing has been done yet.
    const CancelPause pause;
    return AskYesNo(io_, question);
}

TIdTrivialFTP& ConsoleHost::PrepareClient(Action /*action*/) {
    ApplyConnection(connection_, client_);
    return client_;
}

void ConsoleHost::ClientWorkBegin(std::optional<std::int64_t> total) {
    NoteRefusedCancel();
    // A transfer that continues the display goes on counting on the same line.
    if (total) {
        progress_.Begin(*total);
    }
}

void ConsoleHost::ClientWork(std::int64_t done) {
    NoteRefusedCancel();
    progress_.Update(done);
}

void ConsoleHost::NoteRefusedCancel() {
    if (cancel_.Refused() && !refusalNoted_) {
        refusalNoted_ = true;
        Print(io_.err, "quorvel-cli: this step can no longer be cancelled; it runs to its end");
    }
}

LoggerTablesRefill ConsoleHost::LoggerTables() {
    return SettingsFileTables(settingsFile_);
}
