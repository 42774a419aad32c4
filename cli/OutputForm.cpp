#include "OutputForm.h"

#include "Json.h"

namespace quillon::cli {

OutputForm OutputFormOption(CommandLine& line, bool csvAllowed) {
    const bool json = line.flag("--json");
    const bool jsonLines = line.flag("--jsonl");
    const bool csv = csvAllowed && line.flag("--csv");
    if (int(json) + int(jsonLines) + int(csv) > 1) {
        throw UsageError{csvAllowed ? "--json, --jsonl and --csv exclude one another"
                                    : "--json and --jsonl exclude one another"};
    }
    return json        ? OutputForm::Json
           : jsonLines ? OutputForm::JsonLines
           : csv       ? OutputForm::Csv
                       : OutputForm::Text;
}

std::string JsonErrorLine(const std::string& path, const std::string& message) {
    return "{\"path\": " + JsonString(path) + ", \"error\": " + JsonString(message) + "}";
}

} // namespace quillon::cli
