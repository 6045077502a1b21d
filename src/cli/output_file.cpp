#include "cli/output_file.hpp"

#include <cerrno>
#include <system_error>

#include "base/file_io.hpp"

namespace zerlith::CLI {

bool writeOutputFile(const std::string& path, std::string_view bytes, std::ostream& errors) {
    if (writeFileAtomically(path, bytes)) return true;
    errors << "zerlith: cannot write " << path << ": " << std::generic_category().message(errno) << '\n' << std::flush;
    return false;
}

}  // namespace zerlith::CLI
