#pragma once
// Running one subcommand the way every quillon-cli command runs.

#include "Commands.h"

namespace quillon::cli {

using Command = int (*)(const Args&);

// Runs the command; an error becomes its message on stderr and the exit status all
// commands share. A usage error prints the message and usage, or passes on when usage
// is null.
int RunCommand(Command command, const Args& args, const char* usage);

} // namespace quillon::cli
