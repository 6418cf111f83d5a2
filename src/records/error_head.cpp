// ErrorHead: "unit 20 (./jobs/wall1/wall1.dat), read of record 7", the head of a message about a
// unit's file, in the one wording every layer uses.
#include <string>

#include "records/run_error.hpp"

namespace tc {

std::string ErrorHead(std::int32_t unit) { return "unit " + std::to_string(unit); }

std::string ErrorHead(std::int32_t unit, std::string_view file, std::string_view operation) {
    std::string head = ErrorHead(unit);
    head += " (";
    head += file;
    head += "), ";
    head += operation;
    return head;
}

std::string ErrorHead(std::int32_t unit, std::string_view file, std::string_view operation, std::int64_t record) {
    return ErrorHead(unit, file, operation) + " of record " + std::to_string(record);
}

}  // namespace tc
