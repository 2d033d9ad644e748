// The command-line arguments, as UTF-8 on every system.
#pragma once

namespace mevlo {

// Called once at the start of main; the result replaces argv and lives until
// the process ends. On Windows the C runtime builds argv in the ANSI code
// page (unless the UTF-8 manifest is honoured, from Windows 10 1903 on),
// which cannot hold every character of a path: the arguments are taken from
// the system's UTF-16 command line instead. Elsewhere argv is returned as it
// is.
char** utf8Arguments(int& argc, char** argv);

}  // namespace mevlo
