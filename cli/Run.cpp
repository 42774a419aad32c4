#include "Run.h"

#include "codec/Errors.h"
#include "codec/Transforms.h"

#include <cstdio>
#include <iostream>

namespace quillon::cli {

int RunCommand(Command command, const Args& args, const char* usage) {
    quillon::SetDiskFullNotice([] { std::fputs("quillon-cli: Disk full!\n", stderr); });
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
