#include "BatchLine.h"

#include "Json.h"

namespace quillon::cli {

namespace {

std::string JsonNumberOrNull(const std::string& digits) {
    return digits.empty() ? "null" : digits;
}

} // namespace

std::string BatchTextLine(const BatchLine& line) {
    return line.status + '\t' + line.input + '\t' + line.output + '\t' + line.inputSize + '\t' +
           line.outputSize + '\n';
}

std::string BatchJsonLine(const BatchLine& line) {
    std::string json = "{\"status\": " + JsonString(line.status) +
                       ", \"input\": " + JsonString(line.input) +
                       ", \"output\": " + JsonString(line.output) +
                       ", \"inputSize\": " + JsonNumberOrNull(line.inputSize) +
                       ", \"outputSize\": " + JsonNumberOrNull(line.outputSize);
    if (!line.error.empty()) {
        json += ", \"error\": " + JsonString(line.error);
    }
    return json + "}";
}

} // namespace quillon::cli
