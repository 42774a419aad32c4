#include "Run.h"

#include "codec/Errors.h"

#include <cstdio>
#include <iostream>

namespace quillon::cli {

int RunCommand(Command command, const Args& args, const char* usage) {
    try {
        return command(args);
    } catch (const UsageError& error) {
        if (!usage) {
            throw;
        }
        std::cerr << "quillon-cli: " << error.message << "\n" << usage;
        return ExitUsage;
    } catch (const std::exception& error) {
        std::cerr << "quillon-cli: " << error.what() << "\n";
        return ExitError;
    }
}

} // namespace quillon::cli
