// kavtool, the support team's archive command, as a function of its
// arguments and output streams (the program's main and the tests call it).
#pragma once
#include <ostream>
#include <string>
#include <vector>

namespace kavtool {

// args excludes the program name; UTF-8. Returns the exit status: 0 when
// all is well, 1 when the archive (or file) fails with the product's own
// message on `err`, 2 for a usage mistake (with the help on `err`).
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace kavtool
