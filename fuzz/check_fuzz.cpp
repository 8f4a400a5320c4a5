/* setupcheck's whole check of a script: the reading, every check, the plan
   on a model of the machine and the report, on any bytes. The distribution
   directory holds nothing, so every source is missing; the folders and the
   typed installation directory come from the input's last line, to reach
   the planner's paths too. */
#include <stdint.h>

#include <sstream>
#include <string>

#include "tools/checker/cli.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    std::string bytes((const char *)data, size);
    ScriptFile file;
    ScriptFileSet("/nonexistent/SETUP.INF", bytes, &file);
    CheckRequest request;
    request.plan = true;
    size_t last = bytes.rfind('\n');
    if (last != std::string::npos && last + 1 < bytes.size()) {
        std::string folder = bytes.substr(last + 1);
        request.options.installDir = folder;
        request.options.currentDir = folder.substr(folder.size() / 2);
        request.options.windowsDir = folder.substr(0, folder.size() / 2);
    }
    std::ostringstream out, err;
    CheckerReport(file, request, out, err);
    return 0;
}
