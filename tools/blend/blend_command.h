// blend [--form FORM] [--output FILE] [--force] [--json] READ...: the reads named on the
// command line blended into one image. The report goes to OUT, the messages to ERR. Returns
// the exit status: 0 when every sector came out good with no conflict left open, 3 when some
// did not, 1 on a failure, 2 for arguments or reads that cannot be used.
#pragma once

#include <cstdio>
#include <string>
#include <vector>

namespace blend {

// Whether ARGS ask for the blend of named reads: they hold an option of it or the name of an
// existing file. Other arguments are ignored, as they always were, and the run goes over the
// current directory.
bool names_reads(const std::vector<std::string>& args);

int blend_command(const std::vector<std::string>& args, std::FILE* out, std::FILE* err);

}  // namespace blend
