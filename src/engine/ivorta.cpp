// The exported entry of the engine library.
#include <filesystem>
#include <new>
#include <system_error>

#include "vorta/ivorta.h"
#include "vorta/vorta.h"

extern "C" VORTA_EXPORT int32_t VORTA_CALL IVORTA(int32_t /*unused1*/, int32_t /*unused2*/) {
    vorta::RunStatus status = vorta::kRunCompleted;
    try {
        std::error_code ec;
        const std::filesystem::path here = std::filesystem::current_path(ec);
        status = vorta::runInDirectory(ec ? std::filesystem::path() : here);
    } catch (...) {
        status = vorta::kRunFileError;  // nothing may leave the library
    }
    return status;
}
