// Qt's file dialogs and message boxes for the window's Toolkit.
#pragma once

#include "app/Toolkit.h"

#include <optional>
#include <string>

class QFileDialog;
class QMessageBox;
class QWidget;

// Applies a dialog's filter, options, title, starting folder and last file to a QFileDialog.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);
std::optional<std::string> RunQtFileDialog(QWidget* parent, const FileDialogRequest& request);

// Applies caption, text, icon, buttons and placement to a QMessageBox.
void ConfigureMessageBox(QMessageBox& box, const MessageRequest& request);
MessageButton RunQtMessageBox(QWidget* parent, const MessageRequest& request);
