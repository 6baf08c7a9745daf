#pragma once

#include <QString>

// The texts tavrin-cli prints: help for each command and the shell completion scripts.
namespace CommandLineText {

// The help of one command, or the general help for an empty name; empty when there is no
// such command.
QString helpText(const QString& command);

// The completion script for bash, zsh or fish; empty for another shell.
QString completionScript(const QString& shell);

} // namespace CommandLineText
