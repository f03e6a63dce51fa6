// Where the programs find the files that come with them: beside the running program (the build
// tree), else in the folder the installation puts them in, named relative to the program's folder
// so that an installation moved to another prefix still finds them.
#pragma once

#include <string>

namespace orn::platform {

// The folder of the running program (from /proc/self/exe); empty when it cannot be read.
std::string ProgramDirectory();

// The first existing of "<programDir>/<name>" and "<programDir>/<installedDir>/<name>";
// empty when neither exists.
std::string FindProgramFile(const std::string& programDir, const std::string& name, const std::string& installedDir);

// FindProgramFile for the running program and the installed module folder (<libdir>/orncfg).
std::string FindModuleFile(const std::string& name);

// FindProgramFile for the running program and the installed documentation folder (<docdir>).
std::string FindDocumentFile(const std::string& name);

}  // namespace orn::platform
